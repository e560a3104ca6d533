#include "MessageBoxInteraction.h"

#include "MessageBox.h"

#include <QCheckBox>
#include <QMessageBox>

int CMessageBoxInteraction::Show(int, unsigned flags, const std::string& text)
{
    std::unique_ptr<QMessageBox> box = BuildMessageBox(flags, QString::fromStdString(text), parent_);
    box->exec();
    return MessageBoxResult(*box);
}

int CMessageBoxInteraction::ShowChecked(int, unsigned flags, const std::string& text, MessageCheck& check)
{
    std::unique_ptr<QMessageBox> box = BuildMessageBox(flags, QString::fromStdString(text), parent_);
    auto* tick = new QCheckBox(QString::fromStdString(check.label), box.get());
    tick->setChecked(check.checked);
    box->setCheckBox(tick);
    box->exec();
    check.checked = tick->isChecked();
    return MessageBoxResult(*box);
}
