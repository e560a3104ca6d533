#include "TemplateDialog.h"

#include "CaptionFit.h"
#include "ControlFactory.h"
#include "ControlText.h"
#include "Texts.h"

#include <QComboBox>
#include <QEvent>

CTemplateDialog::CTemplateDialog(QWidget* parent)
    : QDialog(parent), units_(std::make_unique<CDialogUnits>(font()))
{
}

CTemplateDialog::~CTemplateDialog() = default;

bool CTemplateDialog::CreateFromTemplate(int templateId)
{
    if (!template_.Load(templateId))
        return false;

    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                            | Qt::WindowCloseButtonHint;
    if (template_.Style() & kDialogTaskbar)
        flags = (flags & ~Qt::WindowType_Mask) | Qt::Window;
    if (template_.Style() & kDialogMinMax)
        flags |= Qt::WindowMinMaxButtonsHint;
    setWindowFlags(flags);
    setWindowTitle(QString::fromStdString(template_.Caption()));

    QFont dialogFont(QString::fromStdString(template_.FontFace()));
    dialogFont.setPointSize(template_.FontPoints());
    dialogFont.setStyleHint(QFont::SansSerif);
    setFont(dialogFont);
    units_ = std::make_unique<CDialogUnits>(font());

    QSize client(units_->ToPixelsX(template_.Width()), units_->ToPixelsY(template_.Height()));
    resize(client);
    if (!(template_.Style() & kDialogResizable))
        setFixedSize(client);

    installEventFilter(this);
    for (const CDialogControl& c : template_.Controls()) {
        QString caption = c.captionId != 0 ? QString::fromStdString(LoadText(c.captionId))
                                           : QString::fromStdString(c.captionText);
        QWidget* w = CreateControl(c, caption);
        w->setObjectName(QString::number(c.id));
        controls_[c.id] = w;
        w->setGeometry(TemplateRect(c.id));
        w->installEventFilter(this);
        if (c.kind != ControlKind::Field)
            FitCaption(w);
    }
    return true;
}

QWidget* CTemplateDialog::CreateControl(const CDialogControl& control, const QString& caption)
{
    return CreateTemplateControl(control, caption, this);
}

QWidget* CTemplateDialog::Control(int id) const
{
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QRect CTemplateDialog::TemplateRect(int id) const
{
    const CDialogControl* c = template_.Find(id);
    if (c == nullptr)
        return QRect();
    QRect r = units_->ToPixels(c->x, c->y, c->width, c->height).translated(0, top_);
    // A drop-down list's template height is that of its open list; the
    // closed box is as high as its font needs.
    if (c->kind == ControlKind::Combo) {
        if (QWidget* w = Control(id))
            r.setHeight(w->sizeHint().height());
    }
    return r;
}

void CTemplateDialog::SetTopBar(QWidget* bar)
{
    if (bar == nullptr || topBar_ != nullptr)
        return;
    topBar_ = bar;
    top_ = bar->sizeHint().height();
    for (const auto& [id, w] : controls_)
        w->move(w->x(), w->y() + top_);
    bar->setGeometry(0, 0, width(), top_);
    const bool fixed = minimumSize() == maximumSize();
    const QSize grown(width(), height() + top_);
    if (fixed)
        setFixedSize(grown);
    else
        resize(grown);
}

void CTemplateDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (topBar_ != nullptr)
        topBar_->setGeometry(0, 0, width(), top_);
}

void CTemplateDialog::SetControlText(int id, const QString& text)
{
    QWidget* w = Control(id);
    if (w == nullptr)
        return;
    ::SetControlText(w, text);
    // Captions keep whole; the texts of fields are data, shown as they come.
    const CDialogControl* c = template_.Find(id);
    if (c != nullptr && c->kind != ControlKind::Field)
        FitCaption(w);
}

QString CTemplateDialog::ControlText(int id) const { return ::ControlText(Control(id)); }

bool CTemplateDialog::PreTranslateMessage(QObject*, QEvent*) { return false; }

bool CTemplateDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (PreTranslateMessage(watched, event))
        return true;
    return QDialog::eventFilter(watched, event);
}
