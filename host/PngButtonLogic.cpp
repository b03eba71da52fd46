// The skin image button's slice choice.
#include "host/PngButtonLogic.h"

namespace pennoria::host {

ButtonSlice ChooseSlice(bool pressed, bool highlighted) {
    if (pressed)
        return ButtonSlice::Pressed;
    return highlighted ? ButtonSlice::Highlighted : ButtonSlice::Normal;
}

Rect SliceSource(ButtonSlice slice, int imageWidth, int imageHeight) {
    const int sliceHeight = SliceHeightFor(imageHeight);
    return {0, static_cast<int>(slice) * sliceHeight, imageWidth, sliceHeight};
}

} // namespace pennoria::host
