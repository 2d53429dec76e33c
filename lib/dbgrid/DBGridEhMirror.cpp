// Right-to-left painting: the canvas maps the client area mirrored, so that the painters work
// in left-to-right coordinates; text and images switch the mirroring off while they draw, or
// they would come out reversed.

#include "lib/dbgrid/DBGridEh.h"

#include "platform/ui/WinGdi.h"

void TCustomDBGridEh::SetCanvasMirroring(bool Mirror) {
    SetMirroredCanvasMapping(Canvas(), Mirror, ClientWidth(), ClientHeight());
}
