// What a host calls on the context and its views from a program that links the core's shared
// library only: the navigator's device context of a view, handed out and taken back, and a body
// detached from its entity and attached again.
#include "DsDriverCdcBase.h"
#include "DsGlContext.h"
#include "DsItemsBody.h"
#include "DsManager.h"
#include "DsNavigator.h"
#include "DsSetEntityType.h"
#include "DsView3dCdc.h"

#include "../context/MemoryCanvas.h"
#include "ViewStaticsGuard.h"

#include "SpaBuilders.h"

#include <gtest/gtest.h>

namespace {

class ContextFromHostTest : public ::testing::Test {
protected:
    vyrtest::ViewStaticsGuard statics_;
};

// Every entity has item type 1 while it lives (the host's entity-type service).
struct SEntityTypes : CDsSetEntityType {
    SEntityTypes() : saved(CDsManager::GetInstance()->GetEntityType()) { CDsManager::GetInstance()->SetType(this); }
    ~SEntityTypes() { CDsManager::GetInstance()->SetType(saved); }
    int GetObjectType(ENTITY*) const override { return 1; }
    const CDsSetEntityType* saved;
};

}  // namespace

TEST_F(ContextFromHostTest, TheNavigatorHandsOutAndTakesBackAViewsDeviceContext)
{
    vyrtest::MemoryCanvas canvas(64, 32);
    CDsView3dCdc view;
    view.SetDC(&canvas.cdc);
    CDsNavigator* navigator = CDsNavigator::StGetInstance();
    CDC* dc = navigator->GetDc(&view);
    EXPECT_EQ(dc, &canvas.cdc);
    auto* driver = dynamic_cast<CDsDriverCdcBase*>(view.get_driver_context());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->GetDCUseCount(), 1);
    navigator->ReleaseDc(&view, dc);
    EXPECT_EQ(driver->GetDCUseCount(), 0);
}

TEST_F(ContextFromHostTest, ABodyDetachedFromItsEntityIsAttachedAgain)
{
    const SEntityTypes types;
    CDsGlContext context;
    BODY* block = make_block(0, 0, 0, 1, 1, 1);
    ASSERT_NE(block, nullptr);
    context.add(block);
    CDsItemsBody* body = context.FindDsBody(block);
    ASSERT_NE(body, nullptr);
    context.DetachEntity(block, 0);
    EXPECT_EQ(context.FindDsItem(block), nullptr);
    EXPECT_TRUE(context.AttachEntity(block, 0));
    EXPECT_EQ(context.FindDsItem(block), body);
    context.remove(block);
    block->lose();
}
