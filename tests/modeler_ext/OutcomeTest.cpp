// CVyrOutcome raising failed outcomes, and the option map of the extension library.
#include "VyrAcisOptionsMap.h"
#include "VyrOutcome.h"

#include <gtest/gtest.h>

namespace {

outcome api_succeeds() { return outcome(); }

outcome api_fails_with(err_mess_type err) {
    API_FUNCTION_BEGIN
    sys_error(err);
    API_FUNCTION_END
    return result;
}

}  // namespace

TEST(OutcomeTest, SuccessIsHeldAndFailureIsRaisedWithItsError) {
    EXPECT_NO_THROW(CVyrOutcome held(api_succeeds()));
    CVyrOutcome held(api_succeeds());
    EXPECT_TRUE(held.GetOutcome().ok());

    outcome failed(OCCT_FAILURE);
    try {
        CVyrOutcome wrapped(failed);
        FAIL() << "a failed outcome was not raised";
    } catch (const acis_exception& e) {
        EXPECT_EQ(OCCT_FAILURE, e.error_number());
        EXPECT_STREQ(failed.get_error_info()->error_message(), e.what());
    }

    // Assignment raises too and leaves the held outcome as it was.
    CVyrOutcome result;
    EXPECT_THROW(result = api_fails_with(NO_MESH_MANAGER), acis_exception);
    EXPECT_TRUE(result.GetOutcome().ok());
    EXPECT_NO_THROW(result = api_succeeds());
}

TEST(OutcomeTest, FailedCallStopsTheSequenceInsideAnApiBlock) {
    int callsAfter = 0;
    API_BEGIN
    CVyrOutcome step;
    step = api_succeeds();
    step = api_fails_with(WRONG_TYPE);
    ++callsAfter;
    step = api_succeeds();
    API_END
    EXPECT_EQ(0, callsAfter);
    EXPECT_EQ(WRONG_TYPE, result.error_number());
}

TEST(OutcomeTest, OptionsMapAnswersTheFaceterOptionForNumberThree) {
    option_header* option = CVyrAcisOptionsMap::GetOption(3);
    ASSERT_NE(nullptr, option);
    EXPECT_EQ(find_option("facet_store_meshes"), option);
    EXPECT_EQ(logical_option, option->type());
    EXPECT_EQ(CVyrAcisOptionsMap::GetOption(CVyrAcisOptionsMap::eFacetStoreMeshes), option);

    // The faceting run's pattern: pushed to 0, popped back.
    option->push(0);
    EXPECT_EQ(0, find_option("facet_store_meshes")->on());
    option->pop();
    EXPECT_EQ(1, option->on());

    for (int id : {-1, 0, 1, 2, 4, 1000})
        EXPECT_EQ(nullptr, CVyrAcisOptionsMap::GetOption(id)) << "id " << id;
}
