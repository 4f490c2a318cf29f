// A small host of the display core, the least a program needs to show a solid and pick it: a
// window, the core's view on it and a rendering context, a block shown through the host's body
// geometry, a camera, one frame, the picture saved, a pick at the block's middle (what it hit is
// printed), the block highlighted, and everything taken down in the order the core needs.
//
//   vyr_example [picture.png]      (default: example.png)
#include <afxwin.h>
#include <windows.h>

#include "DsAttributes.h"
#include "DsGlContext.h"
#include "DsImageFormatsConvertor.h"
#include "DsPickProccessor.h"
#include "DsPickedItem.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "SpaBuilders.h"
#include "SpaTopology.h"
#include "UiPickEvent.h"
#include "VyrBodyGeometry.h"
#include "VyrRegistry.h"
#include "VyrString.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Picks at the pixel where `point` shows (bodies only: object type 1, as the host's body geometry
// files them), prints what it hit and highlights it. False when the pick finds nothing.
bool PickAndHighlight(CDsView3dCdc& view, CDsGlContext& context, const SPAposition& point) {
    float px = 0, py = 0;  // pick pixels count down from the viewport's top
    if (!view.world_to_drawable(point, px, py)) return false;
    CDsTypeMask bodies;
    bodies.SetType(1, -1);
    const std::vector<CDsTypeMask> domain{bodies};
    const CUiPickEvent event(static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py)), 0, &view, nullptr);
    CDsPickContext request;
    request.m_ownerContext = &context;
    request.m_domain = &domain;
    request.m_event = &event;
    CDsPickedItemList others;
    const CDsPickedItem picked = context.GetPickProccessor()->PickSingle(request, others);
    if (!picked.IsValid()) return false;
    const CGmPosition* at = picked.GetPickedPosition();
    std::printf("example: picked item %d at (%.2f, %.2f, %.2f)\n", picked.GetObjectPath().GetLastId(), at->x(),
                at->y(), at->z());
    // Drawn into the window's front buffer over the frame and kept over refreshes until
    // UnHighlightLocations; a saved picture never shows it.
    context.HighlightLocations({picked.GetObjectPath()}, eAttribSetHighlight);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* picture = argc > 1 ? argv[1] : "example.png";
    std::printf("example: the core reads its settings from %s\n", CVyrRegistry::GetDataDir().GetMultiByte());

    // A window known to the framework, a rendering context with a scene of its own, and the
    // core's view on the window (its client area is the viewport), which the context gives an
    // OpenGL context.
    HWND window = CreateWindowExW(0, L"VyrExample", L"Display core example", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  320, 240, nullptr, nullptr, nullptr, nullptr);
    CWnd wnd;
    if (!window || !wnd.Attach(window)) {
        std::fprintf(stderr, "example: cannot open a window (error %u)\n", GetLastError());
        return 1;
    }
    auto context = std::make_unique<CDsGlContext>();
    auto view = std::make_unique<CDsView3dCdc>(&wnd);
    view->SetGlContext(context.get());
    context->add_view(view.get());

    // A parallel camera on the origin from the front right, above. Width and height are the
    // picture's size in model units at the target (4:3, as the window); hither and yon are the
    // near and far clipping distances from the eye, which stands about 134 units away.
    view->set_perspective(false);
    view->set_target(SPAposition(0, 0, 0));
    view->set_eye(SPAposition(60, -90, 80));
    view->set_up(SPAvector(0, 0, 1));
    view->set_width(80);
    view->set_height(60);
    view->set_hither(50);
    view->set_yon(250);
    view->SetRenderMode(eRenderShade);

    // A block 40 x 20 x 20 about the origin, shown as item 1 of the model part, in a colour given
    // as 0x00BBGGRR: red 90, green 140, blue 210.
    BODY* block = make_block(-20, -10, -10, 20, 10, 10);
    CDsAttributes look;
    look.SetColor(0xD28C5A);
    bool ok = block && VyrShowBody(context.get(), block, 1, &look);
    if (ok) {
        view->refresh();  // draws the frame and presents it in the window
        // The view's picture as PNG at the window's size: the view rendered anew into a bitmap.
        ok = CDsImageFormatsConvertor::Instance()->SaveImage(view.get(), eDsImageFormatPng, CVyrString(picture), 1.0,
                                                             false, nullptr, false);
        std::printf("example: %s %s\n", ok ? "wrote" : "cannot write", picture);
        // The block's top middle.
        if (!PickAndHighlight(*view, *context, SPAposition(0, 0, 10))) {
            std::printf("example: the pick found nothing\n");
            ok = false;
        }
        context->UnHighlightLocations();
        VyrHideBody(context.get(), block, 1);  // out of the context and the database before it is lost
    } else {
        std::printf("example: cannot show the block\n");
    }

    // The rest in this order: the body, the view before its context, then the window.
    if (block) block->lose();
    view.reset();
    context.reset();
    wnd.Detach();
    DestroyWindow(window);
    return ok ? 0 : 1;
}
