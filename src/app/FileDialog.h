// The open and save file dialogs: filters from the string table's
// "description|pattern|...||" form, a default extension added to a typed
// name without one, an initial file name (a full path also opens its
// folder). Open dialogs accept only an existing file; save dialogs ask
// before replacing a file.
#pragma once
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QFileDialog;
class QWidget;

class CFileDialog {
public:
    // `defaultExtension` with or without the leading dot, empty for none.
    CFileDialog(bool open, const std::string& defaultExtension, const std::string& fileName,
                const std::string& filter, QWidget* parent);
    ~CFileDialog();
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // Runs the dialog, or with `answer` asks that instead (tests: it sees
    // the prepared dialog and returns the chosen path, empty for Cancel);
    // kIdOk when a file was chosen, else kIdCancel.
    using Answer = std::function<std::string(CFileDialog&)>;
    int DoModal(const Answer& answer = {});
    // The chosen file's full path.
    std::string PathName() const { return path_; }

    // The dialog itself, for inspection.
    QFileDialog& Dialog() { return *dialog_; }

private:
    std::unique_ptr<QFileDialog> dialog_;
    std::string path_;
};

