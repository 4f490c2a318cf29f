// The OpenGL selection picks of the pick processor: RunGlSelection with its begin and end steps.
#include "DsPickProccessor.h"

#include "DsCglEntList.h"
#include "DsComplexSection.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsGlGroupIterator.h"
#include "DsGlScene.h"
#include "DsItemBase.h"
#include "DsItemsGroup.h"
#include "DsMaterialStorage.h"
#include "DsPickWalks.h"
#include "DsSelectionNames.h"
#include "DsView3dCdc.h"

#include "VyrAsExt.h"
#include "pick_event.h"

#include <GL/gl.h>

namespace {

// Select-buffer words per name, and the most words a retry after an overflow grows to.
constexpr size_t kWordsPerName = 6;
constexpr size_t kLargestBuffer = size_t(1) << 24;
// A hit record's depth scale: 2^-31.
constexpr float kDepthScale = 4.656613e-10f;
// The view flag set while section passes run.
constexpr int kSectionPassFlag = 12;

// The attribute groups a selection pass changes: the view's set-up (depth test and function, depth
// range, lighting, colour material, line width and stipple, blending function, viewport, scissor,
// matrix mode), the state a selection relies on (polygon offset off, filled faces, no culling) and
// the candidates' drawing (two-sided lighting, materials, face culling, polygon modes).
constexpr GLbitfield kSelectionAttributes = GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_LINE_BIT | GL_DEPTH_BUFFER_BIT |
                                            GL_TRANSFORM_BIT | GL_VIEWPORT_BIT | GL_SCISSOR_BIT |
                                            GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT;

// Hands the OpenGL state of the selection passes back as it was found, model-view matrix
// included, so that a host drawing after a pick draws as it set up. The pick draws its lines
// through the driver's width cache, which the restored width leaves behind: it is forgotten.
class CSelectionStateScope {
public:
    CSelectionStateScope()
    {
        glPushAttrib(kSelectionAttributes);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
    }
    ~CSelectionStateScope()
    {
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glPopAttrib();
        CDsDriverGl::StForgetWidth();
    }
    CSelectionStateScope(const CSelectionStateScope&) = delete;
    CSelectionStateScope& operator=(const CSelectionStateScope&) = delete;
};

}  // namespace

void CDsPickProccessor::BeginGlSelection(std::vector<GLuint>& buffer, CDsView3dCdc* view,
                                         CDsGlGroupIterator& candidates, int mode)
{
    glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
    gDsGlSelectRenderMode(GL_SELECT);
    glInitNames();
    CDsSelectionGlState::Set();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    const bool allFaces = mode == 1 || mode == 2;
    if (allFaces) glDepthFunc(GL_ALWAYS);
    view->SetupRenderingTransforms(true, true, false, nullptr);
    const bool twoSided = DsGetGlTwoSidedDrawing();
    if (allFaces) DsSetGlTwoSidedDrawing(true);
    DsForgetLastGlMaterial();
    for (CDsItemBase* item = candidates.Begin(); item; candidates.Advance(), item = candidates.Next())
        if (auto* group = dynamic_cast<CDsItemsGroup*>(item)) group->OpenGlPick(view);
    DsForgetLastGlMaterial();
    if (allFaces) DsSetGlTwoSidedDrawing(twoSided);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

void CDsPickProccessor::EndGlSelection(const std::vector<GLuint>& buffer, GLint records, CDsCglEntList& hits, int mode)
{
    if (records <= 0) {
        hits.GetCopies();
        return;
    }
    size_t at = 0;
    for (GLint r = 0; r < records && at + 3 <= buffer.size(); ++r) {
        const size_t count = buffer[at];
        const float depth = static_cast<float>(static_cast<double>(buffer[at + 1]) * kDepthScale);
        const size_t first = at + 3;
        at = first + count;
        if (at > buffer.size()) break;
        for (size_t k = 0; k < count;) {
            CDsItemBase* item = CDsSelectionNames::StFindItem(buffer[first + k]);
            if (!item) {
                ++k;
                continue;
            }
            if (count % 3 == 0 && k + 2 < count && item->GetItemType() == eDsItemsCopy) {
                // A copy names itself, a second name and the item it copies.
                CDsItemBase* copied = CDsSelectionNames::StFindItem(buffer[first + k + 2]);
                ENTITY* copyEntity = item->GetEntity();
                ENTITY* entity = copied ? copied->GetEntity() : nullptr;
                if ((mode == 0 || mode == 2) && copyEntity && entity)
                    if (ENTITY* copy = CVyrAsExt::GetEntityCopy(copyEntity, entity)) entity = copy;
                hits.Add(entity, copyEntity, item, depth);
                k += 3;
                continue;
            }
            hits.Add(item->GetEntity(), nullptr, item, depth);
            ++k;
        }
    }
    hits.GetCopies();
}

CDsCglEntList* CDsPickProccessor::RunGlSelection(const pick_event& event, SDsGlPickCache& cache, CDsGlContext* context,
                                                 CDsGlGroupIterator& candidates, int mode)
{
    cache.event = CUiPickEvent(event);
    delete cache.hits;
    cache.hits = (mode == 0 || mode == 2) ? static_cast<CDsCglEntList*>(new CDsCglSortEntList)
                                          : static_cast<CDsCglEntList*>(new CDsCglByBoxEntList);
    cache.valid = cache.eventSet ? 1 : 0;
    auto* view = dynamic_cast<CDsView3dCdc*>(event.view());
    if (!view) return nullptr;
    if (CDsGlContext* own = view->GetGlContext()) own->MakeCurrent(view);

    size_t names = 0;
    for (CDsItemBase* item = candidates.Begin(); item; candidates.Advance(), item = candidates.Next())
        if (auto* group = dynamic_cast<CDsItemsGroup*>(item)) names += static_cast<size_t>(group->FacesCount()) + 1;
    if (names == 0) return cache.hits;

    const CDsComplexSection* section =
        context && context->GetScene() ? context->GetScene()->GetComplexSection() : nullptr;
    const int groups = section ? section->GetGroupCount() : 0;
    // Also puts back the depth function that modes 1 and 2 set to pass all.
    const CSelectionStateScope state;
    if (groups >= 1) view->SetFlag(static_cast<EDsViewFlag>(kSectionPassFlag), true);
    for (int pass = 0; pass <= groups; ++pass) {
        if (pass < groups) section->EnableClipPlanes(pass);
        std::vector<GLuint> buffer(std::min(kLargestBuffer, names * kWordsPerName), 0);
        GLint records = 0;
        for (;;) {
            BeginGlSelection(buffer, view, candidates, mode);
            records = gDsGlSelectRenderMode(GL_RENDER);
            // An overflowing buffer is no miss: the pass runs again with a larger one.
            if (records >= 0 || buffer.size() >= kLargestBuffer) break;
            buffer.assign(std::min(kLargestBuffer, buffer.size() * 4), 0);
        }
        EndGlSelection(buffer, records, *cache.hits, mode);
        if (pass == groups - 1) view->SetFlag(static_cast<EDsViewFlag>(kSectionPassFlag), false);
        if (pass < groups) section->DisableClipPlanes(pass);
    }
    return cache.hits;
}
