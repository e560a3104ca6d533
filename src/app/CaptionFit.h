// Keeps a caption whole on a control of fixed size. The templates size
// their controls for the captions of both languages in the dialog font of
// the platform they were drawn on; a wider font can make a caption (a
// Russian one above all) longer than its button. Such a control gets a
// smaller font, step by step, until the caption fits.
#pragma once

class QWidget;

// Gives `control` the font it inherits, or a smaller one when its caption
// does not fit its width in that font (no smaller than three quarters of
// it). Push buttons, check boxes, radio buttons, group boxes and labels.
void FitCaption(QWidget* control);

// Whether the caption of `control` fits its width in its current font.
bool CaptionFits(const QWidget* control);
