#pragma once
// PageGeometry: the chosen printer's sheet in device pixels, as getpagesize reads it and
// the print form keeps it. Every print coordinate counts from the printable area's top
// left corner, so the margins say where that corner lies on the sheet.

#include <cstdint>

namespace kv {

// In this order, top before left, as the printer's device values were read.
struct PageGeometry {
    std::int32_t margintop = 0;      // unprintable border at the top of the sheet
    std::int32_t marginleft = 0;     // unprintable border at the left of the sheet
    std::int32_t printareahorz = 0;  // width of the printable area
    std::int32_t printareavert = 0;  // height of the printable area
    std::int32_t physwidth = 0;      // the whole sheet
    std::int32_t physheight = 0;
    std::int32_t dpix = 0;           // pixels per inch
    std::int32_t dpiy = 0;

    bool operator==(const PageGeometry&) const = default;
};

}  // namespace kv
