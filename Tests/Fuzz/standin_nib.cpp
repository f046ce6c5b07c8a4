/*
 * standin_nib.cpp
 *
 * libFuzzer target for the toolbox stand-in's nib reader: the input is a
 * bundle's Fuzz.nib; window "Window" is made from it and every control is
 * visited, focused, typed into and clicked. Checks: only the documented
 * statuses, nothing handed out on failure, values in 0..1, bounds not
 * inverted.
 */
#include "StandInFuzzSupport.h"

#include <Carbon/Carbon.h>
#include <StandIn/HIStandIn.h>

#include <cstdint>

namespace {

void visit(WindowRef window, ControlRef control, int depth) {
    if (depth > 64)
        FuzzFail("controls nested deeper than the nib allows");
    SInt32 value = GetControl32BitValue(control);
    if (value < 0 || value > 1)
        FuzzFail("a control's value %d lies outside 0..1", (int)value);
    Rect bounds = {0, 0, 0, 0};
    GetControlBounds(control, &bounds);
    if (bounds.bottom < bounds.top || bounds.right < bounds.left)
        FuzzFail("a control's bounds are inverted");
    if (HIStandInGetControlKindName(control) == nullptr)
        FuzzFail("a control of no kind");
    if (SetKeyboardFocus(window, control, kControlFocusNextPart) == noErr) {
        HIStandInTypeCharacter('7', 0);
        HIStandInTypeCharacter(kBackspaceCharCode, 0);
    }
    HIStandInClickControl(control);
    UInt16 count = 0;
    if (CountSubControls(control, &count) != noErr)
        return;
    for (UInt16 index = 1; index <= count; index++) {
        ControlRef child = nullptr;
        if (GetIndexedSubControl(control, index, &child) != noErr || child == nullptr)
            FuzzFail("subcontrol %u of %u cannot be had", index, count);
        visit(window, child, depth + 1);
    }
}

} // namespace

void FuzzOne(const uint8_t *data, size_t size) {
    CFBundleRef bundle = CreateScratchBundle("Contents/Resources/Fuzz.nib", data, size);

    IBNibRef nib = nullptr;
    OSStatus status = CreateNibReferenceWithCFBundle(bundle, CFSTR("Fuzz"), &nib);
    if (status != noErr && (nib != nullptr || (status != kIBCarbonRuntimeObjectNotOfRequestedType &&
                                               status != kIBCarbonRuntimeCantFindNibFile)))
        FuzzFail("CreateNibReferenceWithCFBundle: status %d, nib %p", (int)status, (void *)nib);
    if (status == noErr) {
        WindowRef window = nullptr;
        status = CreateWindowFromNib(nib, CFSTR("Window"), &window);
        if (status == noErr) {
            ControlRef root = nullptr;
            if (window == nullptr || GetRootControl(window, &root) != noErr || root == nullptr)
                FuzzFail("a window from the nib without its root control");
            visit(window, root, 0);
            DisposeWindow(window);
        } else if (window != nullptr || (status != kIBCarbonRuntimeObjectNotOfRequestedType &&
                                         status != kIBCarbonRuntimeCantFindObject)) {
            FuzzFail("CreateWindowFromNib: status %d, window %p", (int)status, (void *)window);
        }
        DisposeNibReference(nib);
    }
    CFRelease(bundle);
}
