// A dialog template kept as a table in res/: the dialog's caption, size and
// font, and its controls in tab order with their ids, kinds, captions,
// positions and sizes in dialog units, initial states and resize rules.
// Plain data, parsed from the compiled-in text; the Qt side builds widgets
// from it (CTemplateDialog).
#pragma once
#include <string>
#include <vector>

enum class ControlKind {
    Button,   // push button
    Group,    // group box
    Label,    // plain text
    Field,    // read-only text field (static text, may be sunken)
    Picture,  // picture area
    Combo,    // drop-down list
    List,     // icon-view list
    Check,    // check box (automatic)
    Radio,    // radio button
    Progress, // progress bar
    TrackBar, // horizontal track bar
};

// Initial state and style words of a control.
enum ControlState : unsigned {
    kStateDisabled = 1u << 0,
    kStateHidden = 1u << 1,
    kStateSunken = 1u << 2,
    kStateCentre = 1u << 3,
    kStateRight = 1u << 4,
    kStateGroupStart = 1u << 5,
    kStateSmooth = 1u << 6,
    kStateBorder = 1u << 7,
    kStateAlignLeft = 1u << 8,
    kStateBlack = 1u << 9,
    kStateNoTicks = 1u << 10,
};

// Resize rule bits: how a control follows a change of the client size.
enum ResizeRule : unsigned {
    kResizeMoveRight = 1,
    kResizeMoveDown = 2,
    kResizeWiden = 4,
    kResizeHeighten = 8,
};

struct CDialogControl {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    int captionId = 0;        // string id of the caption, 0 for none
    std::string captionText;  // literal caption when captionId is 0
    int x = 0, y = 0, width = 0, height = 0; // dialog units
    unsigned state = 0;       // ControlState bits
    unsigned resize = 0;      // ResizeRule bits
    std::vector<std::string> items; // initial entries of a drop-down list

    bool Has(unsigned flag) const { return (state & flag) != 0; }
};

// Style words of the dialog itself.
enum DialogStyle : unsigned {
    kDialogResizable = 1u << 0,
    kDialogMinMax = 1u << 1,
    kDialogTaskbar = 1u << 2,
};

class CDialogTemplate {
public:
    // Parses the table text; false (and an empty template) when any line is
    // malformed or the dialog line is missing.
    bool Parse(const std::string& text);
    // Parses the compiled-in template with resource id `id`.
    bool Load(int id);

    int Id() const { return id_; }
    const std::string& Caption() const { return caption_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::string& FontFace() const { return fontFace_; }
    int FontPoints() const { return fontPoints_; }
    unsigned Style() const { return style_; }
    const std::vector<CDialogControl>& Controls() const { return controls_; }
    // The control with the given id, or null.
    const CDialogControl* Find(int id) const;

private:
    void Clear();

    int id_ = 0;
    std::string caption_;
    int width_ = 0, height_ = 0;
    std::string fontFace_;
    int fontPoints_ = 0;
    unsigned style_ = 0;
    std::vector<CDialogControl> controls_;
};
