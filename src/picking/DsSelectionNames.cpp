// CDsSelectionNames: the two maps between names and items, and the names given up.
#include "DsSelectionNames.h"

#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

namespace {

struct SRegistry {
    std::unordered_map<GLuint, CDsItemBase*> items;
    std::unordered_map<const CDsItemBase*, GLuint> names;
    std::vector<GLuint> free;
    // The highest name handed out so far.
    GLuint last = 0;
};

// Made on first use and kept for the process: items may be destroyed during the process's exit,
// after every other static of the library.
SRegistry& Registry()
{
    static SRegistry* registry = new SRegistry;
    return *registry;
}

}  // namespace

GLuint CDsSelectionNames::StGetName(const CDsItemBase* item)
{
    if (!item) return 0;
    SRegistry& registry = Registry();
    const auto found = registry.names.find(item);
    if (found != registry.names.end()) return found->second;
    GLuint name = 0;
    if (!registry.free.empty()) {
        name = registry.free.back();
        registry.free.pop_back();
    } else if (registry.last < std::numeric_limits<GLuint>::max()) {
        name = ++registry.last;
    } else {
        return 0;
    }
    registry.names.emplace(item, name);
    registry.items.emplace(name, const_cast<CDsItemBase*>(item));
    return name;
}

CDsItemBase* CDsSelectionNames::StFindItem(GLuint name)
{
    if (name == 0) return nullptr;
    const SRegistry& registry = Registry();
    const auto found = registry.items.find(name);
    return found == registry.items.end() ? nullptr : found->second;
}

void CDsSelectionNames::StForget(const CDsItemBase* item)
{
    SRegistry& registry = Registry();
    if (registry.names.empty()) return;
    const auto found = registry.names.find(item);
    if (found == registry.names.end()) return;
    registry.items.erase(found->second);
    registry.free.push_back(found->second);
    registry.names.erase(found);
}

int CDsSelectionNames::StGetCount()
{
    return static_cast<int>(Registry().names.size());
}
