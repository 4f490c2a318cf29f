// Options by name: existence, value types, push/pop and the "no value" state.
#include "SpaOptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(OptionsTest, OptionsAreFoundByExactName) {
    option_header* backup = find_option("backup_boxes");
    ASSERT_NE(nullptr, backup);
    EXPECT_STREQ("backup_boxes", backup->name());
    EXPECT_EQ(logical_option, backup->type());
    EXPECT_TRUE(backup->has_value());
    EXPECT_EQ(1, backup->on()) << "on by default";
    EXPECT_EQ(1, backup->count());
    EXPECT_EQ(0, backup->push_depth());
    EXPECT_EQ(backup, find_option("backup_boxes")) << "one option per name";

    option_header* store = find_option("facet_store_meshes");
    ASSERT_NE(nullptr, store);
    EXPECT_NE(backup, store);
    EXPECT_EQ(logical_option, store->type());
    EXPECT_EQ(1, store->on());

    EXPECT_EQ(nullptr, find_option(nullptr));
    EXPECT_EQ(nullptr, find_option(""));
    EXPECT_EQ(nullptr, find_option("no_such_option"));
    EXPECT_EQ(nullptr, find_option("Backup_Boxes"));
    EXPECT_EQ(nullptr, find_option("backup_boxes "));
}

TEST(OptionsTest, PushAndPopRestoreValuesInOrder) {
    option_header* backup = find_option("backup_boxes");
    ASSERT_NE(nullptr, backup);

    backup->push(0);
    EXPECT_EQ(0, backup->on());
    EXPECT_EQ(1, backup->push_depth());
    backup->push(5);  // a logical keeps 0 or 1
    EXPECT_EQ(1, backup->count());
    backup->push_no_value();
    EXPECT_FALSE(backup->has_value());
    EXPECT_EQ(0, backup->on());
    EXPECT_EQ(0, backup->count());

    backup->pop();
    EXPECT_TRUE(backup->has_value());
    EXPECT_EQ(1, backup->on());
    backup->pop();
    EXPECT_EQ(0, backup->on());
    backup->pop();
    EXPECT_EQ(1, backup->on());
    EXPECT_EQ(0, backup->push_depth());

    // Pops without pushes leave the default alone.
    backup->pop();
    backup->pop();
    EXPECT_TRUE(backup->has_value());
    EXPECT_EQ(1, backup->on());
    EXPECT_EQ(0, backup->push_depth());
    // And do not swallow a later push.
    backup->push(0);
    EXPECT_EQ(0, backup->on());
    backup->pop();
    EXPECT_EQ(1, backup->on());
}

TEST(OptionsTest, PushOfTheWrongKindStillPairsWithItsPop) {
    option_header* backup = find_option("backup_boxes");
    ASSERT_NE(nullptr, backup);
    backup->push(0);
    backup->push("text");  // a logical takes no string: the current value is repeated
    EXPECT_EQ(2, backup->push_depth());
    EXPECT_EQ(0, backup->on());
    backup->push(2.5);  // nor a double
    EXPECT_EQ(0, backup->on());
    backup->pop();
    backup->pop();
    EXPECT_EQ(0, backup->on()) << "the first push is still in force";
    backup->pop();
    EXPECT_EQ(1, backup->on());
}

TEST(OptionsTest, ValueGettersFollowTheOptionType) {
    option_header integer("grid_count", int_option, 12);
    EXPECT_EQ(int_option, integer.type());
    EXPECT_EQ(12, integer.count());
    EXPECT_EQ(1, integer.on());
    EXPECT_DOUBLE_EQ(12.0, integer.value());
    EXPECT_STREQ("", integer.string());
    integer.push(0);
    EXPECT_EQ(0, integer.on());
    integer.push(-3);
    EXPECT_EQ(-3, integer.count());
    integer.pop();
    integer.pop();
    EXPECT_EQ(12, integer.count());

    option_header real("chord_ratio", 0.25);
    EXPECT_EQ(double_option, real.type());
    EXPECT_DOUBLE_EQ(0.25, real.value());
    EXPECT_EQ(0, real.count());
    EXPECT_EQ(1, real.on());
    real.push(3);  // an integer fits a double option
    EXPECT_DOUBLE_EQ(3.0, real.value());
    real.push(1e300);
    EXPECT_EQ(std::numeric_limits<int>::max(), real.count()) << "clamped, not undefined";
    real.push(-1e300);
    EXPECT_EQ(std::numeric_limits<int>::min(), real.count());
    real.push(std::nan(""));
    EXPECT_EQ(0, real.count());
    real.pop();
    real.pop();
    real.pop();
    real.pop();
    EXPECT_DOUBLE_EQ(0.25, real.value());

    option_header text("log_name", "model.log");
    EXPECT_EQ(string_option, text.type());
    EXPECT_STREQ("model.log", text.string());
    EXPECT_EQ(0, text.count());
    EXPECT_EQ(0, text.on());
    text.push(static_cast<const char*>(nullptr));
    EXPECT_STREQ("", text.string());
    EXPECT_TRUE(text.has_value());
    text.push_no_value();
    EXPECT_FALSE(text.has_value());
    EXPECT_STREQ("", text.string());
    text.pop();
    text.pop();
    EXPECT_STREQ("model.log", text.string());

    option_header unnamed(nullptr, logical_option, 0);
    EXPECT_STREQ("", unnamed.name());
    EXPECT_EQ(0, unnamed.on());
}
