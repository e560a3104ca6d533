// The targets of "Copy card to...": a small modal dialog naming the card
// being copied and listing the cards it may go onto, each with a check box.
// Several may be ticked; OK is enabled only while one is.
#pragma once
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QDialogButtonBox;
class QListWidget;

class CCopyTargetsDlg : public QDialog {
    Q_OBJECT

public:
    // `source` names the card being copied; `cards` are the names of the
    // cards listed, none ticked.
    CCopyTargetsDlg(const std::string& source, const std::vector<std::string>& cards, QWidget* parent = nullptr);

    // Runs the dialog, or with `answer` that instead (tests: it sees the
    // dialog, may tick its items and press its buttons, and returns its
    // result); QDialog::Accepted when OK was pressed.
    using Answer = std::function<int(CCopyTargetsDlg&)>;
    int DoModal(const Answer& answer = {});

    // The places in `cards` of the ticked cards, in list order.
    std::vector<int> Ticked() const;
    // Ticks or clears card `index`.
    void SetTicked(int index, bool ticked);

    QListWidget* List() const { return list_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

private:
    void UpdateOk();

    QListWidget* list_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};
