#include "CMainWin.h"

#include "AppIcon.h"
#include "Log.h"
#include "Settings.h"
#include "Texts.h"
#include "UserLanguage.h"
#include "WindowLayout.h"

#include <QComboBox>
#include <QKeyEvent>

namespace {

// The captioned controls, in the order their captions are set. 2026 to 2029
// keep their template caption: they are never shown.
const int kCaptionIds[] = {2021, 2001, 2002, 2003, 2004, 2005, 2008, 2006, 2007, 2025, 2023, 2022,
                           2009, 2010, 2011, 2012, 2013, 2014, 2015, 2016, 2017, 2018, 2019, 2020};

} // namespace

CMainWin::CMainWin(QWidget* parent) : CTemplateDialog(parent), interaction_(this)
{
    CreateFromTemplate(kTemplateId);
    if (auto* languages = ControlAs<QComboBox>(kIdLanguageList))
        connect(languages, &QComboBox::activated, this, [this] { OnLanguageSelChange(); });
    OnInitDialog();
}

CMainWin::~CMainWin() { OnDestroy(); }

bool CMainWin::OnInitDialog()
{
    LogMessage("CMainWin::OnInitDialog()");
    ChooseLanguage();
    QIcon icon = AppIcon();
    setWindowIcon(icon);

    UpdateControls();
    lastClientWidth_ = width();
    lastClientHeight_ = height();

    // Place, size and maximized state of the last run; the file path only
    // seeds the next Open clip dialog.
    ApplyWindowLayout(*this, ReadWindowLayout());
    currentFilePath_ = GetProfileString("General", "File", "");
    return true;
}

void CMainWin::OnDestroy()
{
    WriteWindowLayout(CaptureWindowLayout(*this));
    WriteProfileString("General", "File", currentFilePath_);
    LogMessage("CMainWin::OnDestroy()");
}

void CMainWin::ChooseLanguage()
{
    int language = GetProfileInt("Layout", "Language", DefaultLanguage());
    SetLanguage(language);
    if (auto* languages = ControlAs<QComboBox>(kIdLanguageList))
        languages->setCurrentIndex(language != 0 ? 1 : 0);
    LoadCaptions();
}

void CMainWin::LoadCaptions()
{
    for (int id : kCaptionIds)
        SetControlText(id, QString::fromStdString(LoadText(id)));
}

void CMainWin::OnLanguageSelChange()
{
    auto* languages = ControlAs<QComboBox>(kIdLanguageList);
    if (languages == nullptr)
        return;
    int language = languages->currentIndex() == 1 ? 1 : 0;
    SetLanguage(language);
    LoadCaptions();
    WriteProfileInt("Layout", "Language", language);
}

void CMainWin::UpdateControls()
{
    if (QWidget* languages = Control(kIdLanguageList))
        languages->setEnabled(busy_ == 0);
}

bool CMainWin::PreTranslateMessage(QObject*, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}
