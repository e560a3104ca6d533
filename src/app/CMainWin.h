// The main window: a resizable dialog built from template 102 with its
// captions in the interface language, the language list, and its place and
// size kept in the settings file between runs.
#pragma once
#include "MessageBoxInteraction.h"
#include "TemplateDialog.h"

#include <string>

class CMainWin : public CTemplateDialog {
    Q_OBJECT

public:
    // Control ids of template 102 used by the window's own code.
    static constexpr int kIdLanguageList = 1013;
    static constexpr int kTemplateId = 102;

    // Builds the window (OnInitDialog); settings must point at their file.
    explicit CMainWin(QWidget* parent = nullptr);
    // Saves the layout and the current file (OnDestroy).
    ~CMainWin() override;

    // Sets the caption of every captioned control from the string table in
    // the current language.
    void LoadCaptions();
    // Selection change in the language list: switch, re-caption, save.
    void OnLanguageSelChange();

    IInteraction& Interaction() { return interaction_; }
    const std::string& CurrentFilePath() const { return currentFilePath_; }

protected:
    bool OnInitDialog();
    void OnDestroy();
    // Enabled state of the controls from the window's state.
    void UpdateControls();
    // Enter and Escape do nothing in the window: they neither press a
    // button nor close it.
    bool PreTranslateMessage(QObject* target, QEvent* event) override;

private:
    void ChooseLanguage();

    CMessageBoxInteraction interaction_;
    std::string currentFilePath_;
    int busy_ = 0;
    int lastClientWidth_ = -1;
    int lastClientHeight_ = -1;
};
