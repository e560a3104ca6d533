// The small dialog of Rename clip: the clip's name in a line edit of at most
// 8 characters, a counter "n/8" beside it, and OK only while the name is
// one the card can hold (ClipName.h).
#pragma once
#include <QDialog>

#include <string>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

class CRenameDlg : public QDialog {
    Q_OBJECT
public:
    // For the clip of `slot` (from 0), starting from its name `name` (UTF-8).
    CRenameDlg(int slot, const std::string& name, QWidget* parent = nullptr);

    // The name as typed, in UTF-8.
    std::string Name() const;
    QLineEdit* Edit() const { return edit_; }
    QLabel* Counter() const { return counter_; }
    bool OkEnabled() const;

private:
    void NameEdited();

    QLineEdit* edit_;
    QLabel* counter_;
    QDialogButtonBox* buttons_;
};
