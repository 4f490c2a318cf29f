// A concrete gl_context for tests: the operations a derived context must give do nothing, and the
// shared record can be set as a derived context sets it.
#pragma once

#include "gl_context.h"

class TestGlContext : public gl_context {
public:
    void get_entities(ENTITY_LIST&, entity_filter*, bool) override {}
    void update(ENTITY*) override {}
    void* make_figure(const ENTITY_LIST&, view3d*) override { return nullptr; }
    int CopyBackToFront(view3d*) override { return 0; }

    using gl_context::delete_context_data;
    using gl_context::get_bitmap_data;
    using gl_context::get_shared_data;
    using gl_context::set_shared_data;
};
