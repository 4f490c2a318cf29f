// Every walk template of the public headers, instantiated whole outside the library: the scene
// walk and its entries over a functor of the host's own and over every functor type the headers
// offer, the path filter around each, the draw functor of every policy and the decoration functor.
// Built into a shared library that links against the core alone and may leave nothing undefined,
// so a template that calls a function or reads a seam the core keeps hidden fails the build here.
#include "DsExtremaWalk.h"
#include "DsGlTraverseFunctor.h"
#include "DsLocationWalks.h"
#include "DsPathListFunctor.h"
#include "DsSceneWalk.h"
#include "DsWalkFromPath.h"

#include <vector>

namespace {

// A host's functor: every hook the base offers.
struct CHostFunctor : CDsTraverseFunctor {
};

}  // namespace

// The walks and their entries for functor type F, and the path filter around it.
#define VYR_INSTANTIATE_WALKS(F)                                                                                 \
    template class CDsSceneWalk<F>;                                                                              \
    template class CDsPathListFunctor<F>;                                                                        \
    template class CDsSceneWalk<CDsPathListFunctor<F>>;                                                          \
    template bool DsTraverseScene<F>(CDsPartStorage*, F&, const CVyrObjectPath&, CDsScene*,                      \
                                     const std::vector<CVyrObjectPath>&, bool);                                  \
    template bool DsTraverseWholeSceneFiltered<F>(CDsPartStorage*, F&, CDsScene*,                                \
                                                  const std::vector<CVyrObjectPath>&, bool, bool, bool);         \
    template bool CDsWalkFromPath<F>(CDsPartStorage*, F&, CDsScene*, const CVyrObjectPath&);

// The draw functor of policy P with its walks, and the decoration functor around it.
#define VYR_INSTANTIATE_DRAW_WALKS(P)                                                                            \
    template class CDsGlTraverseFunctorT<P>;                                                                     \
    VYR_INSTANTIATE_WALKS(CDsGlTraverseFunctorT<P>)                                                              \
    template class CDsForwardingFunctor<CDsGlTraverseFunctorT<P>>;                                               \
    template class CDsGlDrawFunctor<CDsGlTraverseFunctorT<P>>;                                                   \
    VYR_INSTANTIATE_WALKS(CDsGlDrawFunctor<CDsGlTraverseFunctorT<P>>)

VYR_INSTANTIATE_WALKS(CHostFunctor)
VYR_INSTANTIATE_WALKS(CDsModifyLocationsFunctor)
VYR_INSTANTIATE_WALKS(CDsLocationsInfoFunctor)
VYR_INSTANTIATE_WALKS(CDsDisplayedAttributeFunctor)

VYR_INSTANTIATE_DRAW_WALKS(SDsHiddenLinePolicy)
VYR_INSTANTIATE_DRAW_WALKS(SDsShadePolicy)
VYR_INSTANTIATE_DRAW_WALKS(SDsMixedOpaquePolicy)
VYR_INSTANTIATE_DRAW_WALKS(SDsMixedTransparentPolicy)
VYR_INSTANTIATE_DRAW_WALKS(SDsPlotPolicy)
VYR_INSTANTIATE_DRAW_WALKS(SDsExtremaPolicy)
VYR_INSTANTIATE_DRAW_WALKS(SDsAttributeOnlyPolicy)
