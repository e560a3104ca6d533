// A dialog built from a dialog template of res/: the dialog font, the client
// size, and one widget per control placed by converting the template's
// dialog units to pixels with that font. Controls are found by their
// template id. Every key and mouse event of the dialog and its controls
// passes PreTranslateMessage first, which may swallow it.
#pragma once
#include "DialogTemplate.h"
#include "DialogUnits.h"

#include <QDialog>

#include <map>
#include <memory>

class CTemplateDialog : public QDialog {
    Q_OBJECT

public:
    explicit CTemplateDialog(QWidget* parent = nullptr);
    ~CTemplateDialog() override;

    // The control with template id `id`, or null.
    QWidget* Control(int id) const;
    template <class T>
    T* ControlAs(int id) const
    {
        return qobject_cast<T*>(Control(id));
    }
    const CDialogTemplate& Template() const { return template_; }
    // Dialog units of the dialog font.
    const CDialogUnits& Units() const { return *units_; }
    // The rectangle, in pixels of the dialog's client area, where the
    // template puts control `id` (drop-down lists keep the height of their
    // closed box); empty when there is no such control.
    QRect TemplateRect(int id) const;

    // Puts `bar` (a menu bar) along the top edge, above the template's
    // controls: they move down by its height and the client area, its
    // minimum and fixed sizes grow by it. The bar follows the width.
    void SetTopBar(QWidget* bar);
    // The height of the top bar, 0 when there is none.
    int TopBarHeight() const { return top_; }

    // Sets the caption of control `id`; a caption too long for its control
    // gets a smaller font (CaptionFit.h).
    void SetControlText(int id, const QString& text);
    QString ControlText(int id) const;

protected:
    // Loads template `templateId` and builds the dialog from it: caption,
    // font, client size, controls in tab order. False when the template is
    // missing or damaged; the dialog is then empty.
    bool CreateFromTemplate(int templateId);
    // Makes the widget of one control; subclasses give chosen controls a
    // widget of their own.
    virtual QWidget* CreateControl(const CDialogControl& control, const QString& caption);
    // Sees every event of the dialog and its controls before they do;
    // returns true to swallow it.
    virtual bool PreTranslateMessage(QObject* target, QEvent* event);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CDialogTemplate template_;
    std::unique_ptr<CDialogUnits> units_;
    std::map<int, QWidget*> controls_;
    QWidget* topBar_ = nullptr;
    int top_ = 0;
};
