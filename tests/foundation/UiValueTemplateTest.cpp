// CUiValueTemplate through small concrete holders, as a host would derive them.
#include "UiValueTemplate.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

namespace {

// Records what the holder shows and how often it reports a change.
template <typename T>
class Recording : public CUiValueTemplate<T> {
public:
    using CUiValueTemplate<T>::CUiValueTemplate;
    void ShowText(const CStringW& text) override { shown.push_back(text); }
    void OnValueChanged() override { ++changes; }
    std::vector<CStringW> shown;
    int changes = 0;
};

// A length in whole millimetres from 0 to 100.
class MillimetreHolder : public Recording<int> {
public:
    MillimetreHolder() : Recording<int>(L"%d mm") {}

protected:
    bool IsValidValue(const int& value) override { return value >= 0 && value <= 100; }
    int StrToItem(const CStringW& text) override {
        wchar_t* end = nullptr;
        long value = std::wcstol(text, &end, 10);
        return end == text.GetString() ? -1 : static_cast<int>(value);  // -1: not a number, invalid
    }
};

// A non-empty name.
class NameHolder : public Recording<CVyrString> {
public:
    NameHolder() : Recording<CVyrString>(L"<%s>") {}

protected:
    bool IsValidValue(const CVyrString& value) override { return !value.IsEmpty(); }
    CVyrString StrToItem(const CStringW& text) override { return CVyrString(CStringW(text).Trim()); }
};

}  // namespace

TEST(UiValueTemplateTest, ValidValuesAreShownInTheBoundControlAndReported) {
    MillimetreHolder holder;
    CWnd control;  // no window: the holder's ShowText records instead
    holder.SetControl(&control);
    EXPECT_EQ(holder.GetValue(), 0);

    EXPECT_TRUE(holder.SetValue(42));
    EXPECT_EQ(holder.GetValue(), 42);
    ASSERT_EQ(holder.shown.size(), 1u);
    EXPECT_EQ(holder.shown.back(), L"42 mm");
    EXPECT_EQ(holder.changes, 1);

    EXPECT_TRUE(holder.SetValue(CStringW(L"17")));
    EXPECT_EQ(holder.GetValue(), 17);
    EXPECT_EQ(holder.shown.back(), L"17 mm");
    EXPECT_EQ(holder.ItemToStr(), L"17 mm");
}

TEST(UiValueTemplateTest, InvalidValuesRestoreThePreviousOne) {
    MillimetreHolder holder;
    CWnd control;
    holder.SetControl(&control);
    ASSERT_TRUE(holder.SetValue(30));
    holder.shown.clear();

    EXPECT_FALSE(holder.SetValue(250));
    EXPECT_EQ(holder.GetValue(), 30);
    ASSERT_EQ(holder.shown.size(), 1u);  // the control shows the old value again
    EXPECT_EQ(holder.shown.back(), L"30 mm");
    EXPECT_EQ(holder.changes, 1);  // only the first, valid change was reported

    EXPECT_FALSE(holder.SetValue(CStringW(L"abc")));
    EXPECT_EQ(holder.GetValue(), 30);
    EXPECT_EQ(holder.shown.back(), L"30 mm");
}

TEST(UiValueTemplateTest, WithoutAControlValuesAreOnlyStored) {
    MillimetreHolder holder;
    EXPECT_TRUE(holder.SetValue(5));
    EXPECT_FALSE(holder.SetValue(-5));
    EXPECT_EQ(holder.GetValue(), 5);
    EXPECT_TRUE(holder.shown.empty());
    EXPECT_EQ(holder.changes, 0);
    holder.ChangeValue(2.0);  // these holders do not move by steps
    EXPECT_EQ(holder.GetValue(), 5);
}

TEST(UiValueTemplateTest, StringValuesUseTheFormatText) {
    NameHolder holder;
    CWnd control;
    holder.SetControl(&control);
    EXPECT_TRUE(holder.GetValue().IsEmpty());
    EXPECT_TRUE(holder.SetValue(CStringW(L"  Bracket 2 ")));
    EXPECT_EQ(holder.GetValue(), L"Bracket 2");
    EXPECT_EQ(holder.shown.back(), L"<Bracket 2>");

    EXPECT_FALSE(holder.SetValue(CVyrString(L"")));
    EXPECT_EQ(holder.GetValue(), L"Bracket 2");
    EXPECT_EQ(holder.shown.back(), L"<Bracket 2>");
}
