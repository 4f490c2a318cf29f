// CVyrEntBase: the base of the application's own entities that show themselves as figures. A
// rendering context that is given such an entity lets it describe its picture through the figure
// generator's pen calls (DefineFig) and shows the items the generator makes.
//
// Choices where the behaviour was open:
// - The class is abstract: an entity of this kind without a picture of its own has nothing to
//   show, so every kind defines its figure.
// - The figure operation is const: describing the picture changes nothing in the entity.
#pragma once

#include "VyrModelerExtApi.h"
#include "VyrEntityTypes.h"

class CVyrFigureGenerator;

// An entity that draws itself through a figure generator.
class VYR_MODELER_EXT_API CVyrEntBase : public ENTITY {
    SPA_ENTITY_TYPE(CVyrEntBase, ENTITY, CVyrEntBase_TYPE, "vyr_ent_base")

public:
    // Describes the entity's picture by pen calls into `generator` (groups, pen settings,
    // polylines, arcs, points, texts ...).
    virtual void DefineFig(CVyrFigureGenerator& generator) const = 0;

protected:
    // An entity without attributes.
    CVyrEntBase() = default;
    // Freed through lose().
    ~CVyrEntBase() override;
};

// 1 for an entity of a class derived from CVyrEntBase, else 0 (also for null).
VYR_MODELER_EXT_API int is_CVyrEntBase(const ENTITY* entity);
