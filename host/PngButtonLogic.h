// The skin image button's state and slice choice, free of any toolkit.
#pragma once

#include "host/FrameLogic.h"

namespace pennoria::host {

// A skin button image is four slices stacked vertically; rows past four slices are never shown.
constexpr int SliceHeightFor(int imageHeight) {
    return imageHeight > 0 ? imageHeight / 4 : 0;
}

enum class ButtonSlice : int { Highlighted = 0, Normal = 1, Pressed = 2 };

// Pressed wins over highlighted.
ButtonSlice ChooseSlice(bool pressed, bool highlighted);

// The source rows of a slice in the image.
Rect SliceSource(ButtonSlice slice, int imageWidth, int imageHeight);

// Highlight and press of one button. One highlight flag serves pointer and focus: whichever
// event came last decides. The button is pressed while the left button, pressed on it, is held
// with the pointer inside.
class PngButtonState {
public:
    void PointerEntered() { m_highlighted = true; }
    void PointerLeft() {
        m_highlighted = false;
        m_inside = false;
    }
    void FocusIn() { m_highlighted = true; }
    void FocusOut() { m_highlighted = false; }
    void ButtonDown() {
        m_held = true;
        m_inside = true;
    }
    // The pointer moved while held; inside says whether it is over the button.
    void PointerMoved(bool inside) { m_inside = inside; }
    // The left button went up: returns true, the click is reported on every release the button
    // receives (it holds the pointer while pressed, so also after dragging off).
    bool ButtonUp() {
        const bool wasHeld = m_held;
        m_held = false;
        return wasHeld;
    }
    bool Pressed() const { return m_held && m_inside; }
    bool Highlighted() const { return m_highlighted; }
    ButtonSlice Slice() const { return ChooseSlice(Pressed(), m_highlighted); }

private:
    bool m_highlighted = false;
    bool m_held = false;
    bool m_inside = false;
};

} // namespace pennoria::host
