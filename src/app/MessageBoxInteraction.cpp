#include "MessageBoxInteraction.h"

#include "MessageBox.h"

#include <QMessageBox>

int CMessageBoxInteraction::Show(int, unsigned flags, const std::string& text)
{
    std::unique_ptr<QMessageBox> box = BuildMessageBox(flags, QString::fromStdString(text), parent_);
    box->exec();
    return MessageBoxResult(*box);
}
