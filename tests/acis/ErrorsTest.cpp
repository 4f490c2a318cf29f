// Outcomes, the modeler's exception, error blocks, message texts, interrupts, logging and boards.
#include "SpaErrors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <set>
#include <stdexcept>
#include <string>

namespace {

// Clears a pending interrupt however a test ends.
struct InterruptGuard {
    ~InterruptGuard() { set_acis_interrupted(false); }
};

// An api_* function written the way the stand-in writes them.
outcome api_sample(const int* argument, bool fail_inside) {
    API_FUNCTION_BEGIN
    if (!argument) sys_error(NULL_ENTITY);
    if (fail_inside) throw std::runtime_error("inner failure");
    API_FUNCTION_END
    return result;
}

}  // namespace

TEST(ErrorsTest, OutcomeReportsSuccessAndFailure) {
    outcome success;
    EXPECT_TRUE(success.ok());
    EXPECT_EQ(0, success.error_number());
    EXPECT_EQ(nullptr, success.get_error_info());

    outcome failure(WRONG_TYPE);
    EXPECT_FALSE(failure.ok());
    EXPECT_EQ(WRONG_TYPE, failure.error_number());
    ASSERT_NE(nullptr, failure.get_error_info());
    EXPECT_EQ(WRONG_TYPE, failure.get_error_info()->error_number());
    EXPECT_STREQ(find_err_mess(WRONG_TYPE), failure.get_error_info()->error_message());

    // The info is copied: the caller's record may go away.
    outcome withInfo;
    {
        error_info info(BAD_TOLERANCE, "surface tolerance is -1");
        withInfo = outcome(BAD_TOLERANCE, &info);
    }
    EXPECT_STREQ("surface tolerance is -1", withInfo.get_error_info()->error_message());

    // Error number 0 is success whatever info comes with it.
    error_info stray(OCCT_FAILURE);
    outcome zero(0, &stray);
    EXPECT_TRUE(zero.ok());
    EXPECT_EQ(nullptr, zero.get_error_info());

    // Copies share the record.
    outcome copy = failure;
    EXPECT_EQ(failure.get_error_info(), copy.get_error_info());
}

TEST(ErrorsTest, MessageModuleGivesStableNonZeroCodesAndTexts) {
    EXPECT_NE(0, message_code(spaacis_api_errmod, 0));
    EXPECT_EQ(API_FAILED, message_code(spaacis_api_errmod, 0));
    EXPECT_EQ(NULL_ENTITY, message_code(spaacis_api_errmod, 1));
    EXPECT_EQ(UNEXPECTED_EXCEPTION, message_code(spaacis_api_errmod, SPAACIS_API_ERRMOD_COUNT - 1));
    // A wrong index still answers an error, never "no error".
    EXPECT_EQ(API_FAILED, message_code(spaacis_api_errmod, -1));
    EXPECT_EQ(API_FAILED, message_code(spaacis_api_errmod, SPAACIS_API_ERRMOD_COUNT));

    std::set<std::string> texts;
    for (int i = 0; i < spaacis_api_errmod.count(); ++i) {
        const int code = message_code(spaacis_api_errmod, i);
        EXPECT_TRUE(spaacis_api_errmod.contains(code));
        const char* text = find_err_mess(code);
        ASSERT_NE(nullptr, text);
        EXPECT_GT(std::strlen(text), 0u);
        EXPECT_STRNE("unknown error", text);
        texts.insert(text);
    }
    EXPECT_EQ(static_cast<size_t>(spaacis_api_errmod.count()), texts.size()) << "texts must differ";

    EXPECT_STREQ("no error", find_err_mess(0));
    EXPECT_STREQ("unknown error", find_err_mess(-5));
    EXPECT_STREQ("unknown error", find_err_mess(SPAACIS_API_ERRMOD_BASE + SPAACIS_API_ERRMOD_COUNT));
    EXPECT_EQ(nullptr, spaacis_api_errmod.text(-1));
    EXPECT_EQ(nullptr, spaacis_api_errmod.text(SPAACIS_API_ERRMOD_COUNT));
}

TEST(ErrorsTest, SysErrorAndCheckOutcomeRaiseTheModelerException) {
    try {
        sys_error(DEGENERATE_RAY);
        FAIL() << "sys_error returned";
    } catch (const acis_exception& e) {
        EXPECT_EQ(DEGENERATE_RAY, e.error_number());
        EXPECT_STREQ(find_err_mess(DEGENERATE_RAY), e.what());
        EXPECT_EQ(nullptr, e.get_error_info()->entity());
    }

    // A raise always carries an error, even when asked to raise 0.
    try {
        sys_error(0);
        FAIL() << "sys_error returned";
    } catch (const acis_exception& e) {
        EXPECT_NE(0, e.error_number());
        EXPECT_FALSE(e.to_outcome().ok());
    }

    int marker = 0;
    const ENTITY* entity = reinterpret_cast<const ENTITY*>(&marker);
    try {
        sys_error(WRONG_TYPE, entity);
    } catch (const acis_exception& e) {
        EXPECT_EQ(entity, e.get_error_info()->entity());
    }

    error_info info(OCCT_FAILURE, "boolean failed");
    try {
        sys_error(OCCT_FAILURE, &info);
    } catch (const acis_exception& e) {
        EXPECT_STREQ("boolean failed", e.what());
    }
    EXPECT_THROW(sys_error(OCCT_FAILURE, nullptr), acis_exception);

    EXPECT_NO_THROW(check_outcome(outcome()));
    outcome failed(NO_MESH_MANAGER);
    try {
        check_outcome(failed);
        FAIL() << "check_outcome did not raise";
    } catch (const acis_exception& e) {
        EXPECT_EQ(NO_MESH_MANAGER, e.error_number());
        EXPECT_EQ(failed.get_error_info(), e.get_error_info()) << "the outcome's own record";
    }
}

TEST(ErrorsTest, ErrorInApiBlockEndsTheBlockAndLandsInTheOutcome) {
    bool afterRaise = false;
    {
        API_BEGIN
        sys_error(message_code(spaacis_api_errmod, 3));
        afterRaise = true;
        API_END
        EXPECT_FALSE(afterRaise);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(message_code(spaacis_api_errmod, 3), result.error_number());
        EXPECT_EQ(BAD_TOLERANCE, result.error_number());
    }
    {
        API_BEGIN
        check_outcome(outcome(OCCT_FAILURE));
        API_END
        EXPECT_EQ(OCCT_FAILURE, result.error_number());
    }
    {
        int steps = 0;
        API_BEGIN
        ++steps;
        API_END
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(1, steps);
    }
    // Other C++ exceptions are errors too; their text is kept.
    {
        API_BEGIN
        throw std::logic_error("index out of range");
        API_END
        EXPECT_EQ(UNEXPECTED_EXCEPTION, result.error_number());
        EXPECT_STREQ("index out of range", result.get_error_info()->error_message());
    }
    {
        API_BEGIN
        throw std::bad_alloc();
        API_END
        EXPECT_EQ(OUT_OF_MEMORY, result.error_number());
    }
    {
        API_BEGIN
        throw 42;
        API_END
        EXPECT_EQ(UNEXPECTED_EXCEPTION, result.error_number());
    }
}

TEST(ErrorsTest, ApiFunctionsAnswerOutcomesAndNeverThrow) {
    int value = 1;
    EXPECT_TRUE(api_sample(&value, false).ok());
    outcome nullArg;
    EXPECT_NO_THROW(nullArg = api_sample(nullptr, false));
    EXPECT_EQ(NULL_ENTITY, nullArg.error_number());
    EXPECT_EQ(UNEXPECTED_EXCEPTION, api_sample(&value, true).error_number());

    // A pending interrupt is not raised by an api_* function: the caller's block raises it.
    InterruptGuard guard;
    set_acis_interrupted(true);
    outcome interrupted;
    EXPECT_NO_THROW(interrupted = api_sample(&value, false));
    EXPECT_TRUE(interrupted.ok());
    EXPECT_TRUE(acis_interrupted());
}

TEST(ErrorsTest, PendingInterruptIsRaisedAfterTheApiBlockOnce) {
    InterruptGuard guard;
    EXPECT_FALSE(acis_interrupted()) << "never set by default";

    int value = 1;
    bool bodyDone = false;
    bool caught = false;
    try {
        API_BEGIN
        set_acis_interrupted(true);
        bodyDone = api_sample(&value, false).ok();
        API_END
        FAIL() << "the interrupt was not raised";
    } catch (const acis_exception& e) {
        caught = true;
        EXPECT_EQ(INTERRUPTED, e.error_number());
    }
    EXPECT_TRUE(bodyDone) << "the block's work runs before the interrupt is raised";
    EXPECT_TRUE(caught);
    EXPECT_FALSE(acis_interrupted()) << "raising consumes the interrupt";

    // An outer API block receives it as an error.
    {
        API_BEGIN
        {
            API_BEGIN
            set_acis_interrupted(true);
            API_END
        }
        API_END
        EXPECT_EQ(INTERRUPTED, result.error_number());
    }
    EXPECT_NO_THROW(ACISExceptionCheck("API"));
}

TEST(ErrorsTest, CleanUpBlockRunsCleanUpAndPassesTheErrorOn) {
    // No error: the clean-up runs with error_no 0 and nothing is raised.
    int cleanups = 0;
    int seenError = -1;
    EXPECT_NO_THROW({
        EXCEPTION_BEGIN
        int* buffer = nullptr;
        EXCEPTION_TRY
        buffer = new int[4];
        EXCEPTION_CATCH_TRUE
        delete[] buffer;
        ++cleanups;
        seenError = error_no;
        EXCEPTION_END
    });
    EXPECT_EQ(1, cleanups);
    EXPECT_EQ(0, seenError);

    // A modeler error: the clean-up sees its number, then the same error goes on.
    bool afterRaise = false;
    try {
        EXCEPTION_BEGIN
        int* buffer = nullptr;
        EXCEPTION_TRY
        buffer = new int[4];
        sys_error(WRONG_TYPE);
        afterRaise = true;
        EXCEPTION_CATCH_TRUE
        delete[] buffer;
        ++cleanups;
        seenError = error_no;
        EXCEPTION_END
        FAIL() << "the error was not passed on";
    } catch (const acis_exception& e) {
        EXPECT_EQ(WRONG_TYPE, e.error_number());
    }
    EXPECT_FALSE(afterRaise);
    EXPECT_EQ(2, cleanups);
    EXPECT_EQ(WRONG_TYPE, seenError);

    // Another exception goes on as itself.
    EXPECT_THROW(
        {
            EXCEPTION_BEGIN
            EXCEPTION_TRY
            throw std::out_of_range("x");
            EXCEPTION_CATCH_TRUE
            ++cleanups;
            EXCEPTION_END
        },
        std::out_of_range);
    EXPECT_EQ(3, cleanups);

    // Inside an API block, the passed-on error lands in the outcome.
    {
        API_BEGIN
        EXCEPTION_BEGIN
        EXCEPTION_TRY
        sys_error(OCCT_FAILURE);
        EXCEPTION_CATCH_TRUE
        ++cleanups;
        EXCEPTION_END
        API_END
        EXPECT_EQ(OCCT_FAILURE, result.error_number());
    }
    EXPECT_EQ(4, cleanups);
}

TEST(ErrorsTest, ErrorsIgnoredBlockDropsErrorsAndLeavesInterruptPending) {
    InterruptGuard guard;
    bool afterRaise = false;
    bool after = false;
    EXPECT_NO_THROW({
        ERRORS_IGNORED_BEGIN
        sys_error(OCCT_FAILURE);
        afterRaise = true;
        ERRORS_IGNORED_END
        ERRORS_IGNORED_BEGIN
        throw std::runtime_error("dropped");
        ERRORS_IGNORED_END
        after = true;
    });
    EXPECT_FALSE(afterRaise);
    EXPECT_TRUE(after);

    EXPECT_NO_THROW({
        ERRORS_IGNORED_BEGIN
        set_acis_interrupted(true);
        ERRORS_IGNORED_END
    });
    EXPECT_TRUE(acis_interrupted());
}

TEST(ErrorsTest, LoggingSwitchAnswersThePreviousState) {
    EXPECT_EQ(0, logging_on()) << "off by default";
    EXPECT_EQ(0, set_logging(1));
    EXPECT_EQ(1, logging_on());
    EXPECT_EQ(1, set_logging(7)) << "any non-zero value is on";
    EXPECT_EQ(1, logging_on());
    // The core's pattern: switch on, remember, restore.
    const int previous = set_logging(1);
    EXPECT_EQ(1, set_logging(previous));
    EXPECT_EQ(1, set_logging(0));
    EXPECT_EQ(0, logging_on());
}

TEST(ErrorsTest, BulletinBoardsNestBalanceAndKeepTheOutcome) {
    EXPECT_EQ(0, api_bb_depth());
    outcome failed(OCCT_FAILURE);
    outcome success;

    // An end without a begin is harmless and does not unbalance later boards.
    api_bb_end(success);
    EXPECT_EQ(0, api_bb_depth());

    api_bb_begin();
    api_bb_begin(1);
    EXPECT_EQ(2, api_bb_depth());
    api_bb_end(failed, 1, 0);
    EXPECT_EQ(OCCT_FAILURE, failed.error_number()) << "a failure stays a failure";
    api_bb_end(success, 0, 1);
    EXPECT_TRUE(success.ok());
    EXPECT_EQ(0, api_bb_depth());

    // The safe-call pattern: board around an API block whose work fails.
    const int previous = set_logging(1);
    api_bb_begin(0);
    API_BEGIN
    sys_error(OCCT_FAILURE);
    API_END
    api_bb_end(result, 0, !previous);
    set_logging(previous);
    EXPECT_EQ(OCCT_FAILURE, result.error_number());
    EXPECT_EQ(0, api_bb_depth());
    EXPECT_EQ(0, logging_on());
}
