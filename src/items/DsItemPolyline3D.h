// CDsItemPolyline3D: the leaf item of a 3-D polyline in model space, and the process-wide
// multi-polyline batch that figures open around many polylines drawn in one GL set-up.
//
// Only the batch so far (opening and closing it and asking whether one is open: the driver
// statics leave line smoothing off inside a batch), and the measuring view a zoom publishes for
// polylines to report their extremes to. The polyline item itself and the front-buffer
// drawing of a batch (through the GL context) come with the display items and the GL context;
// until then a front-buffer batch sets the depth test as one does but draws into the buffer that
// is current.
#pragma once

#include <afx.h>

class CDsViewExtrema;
class view3d;

// A 3-D polyline item (the batch statics so far).
class AFX_EXT_CLASS CDsItemPolyline3D {
public:
    // Opens a batch on `view` (null: the current core view): lighting and normalising off, and
    // the depth test on for a back-buffer batch or off for a front-buffer batch (the previous
    // state kept for StEndMultiPolyline). A measuring (extrema) view or a view in pick mode opens
    // no batch. Answers 1.
    static int StBeginMultiPolyline(view3d* view, int frontBuffer);
    // Closes the open batch: the vertex array off and the depth test back as it was. The batch
    // is closed afterwards in every case.
    static void StEndMultiPolyline();
    // 1 while a batch is open, else 0.
    static int StInMultiPolyline();

    // The measuring view that polylines report their extremes to while a zoom measures (set by
    // CDsViewExtremaControler for its lifetime), null otherwise.
    static CDsViewExtrema* sViewExtrema;
};
