// Message boxes for the interaction flags: the buttons (OK, OK/Cancel,
// Yes/No, ...), the icon and the default button of the flags, the
// application title as caption and the text as plain text. Built apart from
// showing, so the mapping can be checked without running the box.
#pragma once
#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

std::unique_ptr<QMessageBox> BuildMessageBox(unsigned flags, const QString& text, QWidget* parent);

// The result code (kIdOk, kIdCancel, kIdYes, kIdNo, ...) of the button that
// closed the box; kIdCancel when it was closed without a button.
int MessageBoxResult(const QMessageBox& box);
