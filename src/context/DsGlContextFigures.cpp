// The figures of the context's entities: an entity of the application's entity base describes its
// picture through a figure generator made for the context, and the generator's root group, bound
// to the entity, shows it.
#include "DsGlContext.h"

#include "DsFigureGenerator.h"
#include "DsItemsFigure.h"
#include "VyrEntBase.h"

CDsItemsGroup* CDsGlContext::CreateEntityFigure(CVyrEntBase* entity)
{
    if (!entity) return nullptr;
    CDsFigureGenerator generator(this);
    entity->DefineFig(generator);
    CDsItemsFigure* group = generator.DisplayList(entity);
    if (group) group->SetEntity(entity);
    return group;
}
