// Pictures: a stored camera put back on a view shows the same picture, its flat form survives a
// round trip and refuses what is no camera, and a list of named pictures owns each picture once.
#include "DsPictureList.h"
#include "DsPictureStorage.h"
#include "DsView3dCdc.h"

#include "ViewSetup.h"
#include "ViewStaticsGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Views are process-wide once made current, and so is the view statics' saved picture: each test
// puts back what it found.
class PictureTest : public ::testing::Test {
protected:
    vyrtest::ViewStaticsGuard statics_;
};

// A picture that counts how many of its kind are alive, to see the list free what it owns.
struct CountedPicture : CDsPictureStorage {
    CountedPicture() { ++sAlive; }
    explicit CountedPicture(double eyeX) : CountedPicture() { SetEye(SPAposition(eyeX, 0.0, -100.0)); }
    ~CountedPicture() override { --sAlive; }
    static int sAlive;
};
int CountedPicture::sAlive = 0;

// Resets the count around a test.
struct AliveCountGuard {
    AliveCountGuard() { CountedPicture::sAlive = 0; }
    ~AliveCountGuard() { CountedPicture::sAlive = 0; }
};

// Model points spread round the oblique views' target, to compare what two cameras show.
const SPAposition kProbes[] = {SPAposition(1, 2, -1), SPAposition(6, 2, -1), SPAposition(1, 7, 3),
                               SPAposition(-4, -3, 2), SPAposition(3, -1, -4)};

// Drawable positions of the probes as `view` shows them.
std::vector<float> Projections(const view3d& view)
{
    std::vector<float> xy;
    for (const SPAposition& p : kProbes) {
        float x = NAN, y = NAN;
        EXPECT_TRUE(view.world_to_drawable(p, x, y));
        xy.push_back(x);
        xy.push_back(y);
    }
    return xy;
}

void ExpectSamePicture(const view3d& actual, const std::vector<float>& expected)
{
    const std::vector<float> xy = Projections(actual);
    ASSERT_EQ(xy.size(), expected.size());
    for (size_t i = 0; i < xy.size(); ++i) EXPECT_NEAR(xy[i], expected[i], 1e-3) << "coordinate " << i;
}

void ExpectVector(const SPAvector& v, double x, double y, double z)
{
    EXPECT_NEAR(v.x(), x, 1e-9);
    EXPECT_NEAR(v.y(), y, 1e-9);
    EXPECT_NEAR(v.z(), z, 1e-9);
}

void ExpectPosition(const SPAposition& p, double x, double y, double z)
{
    EXPECT_NEAR(p.x(), x, 1e-9);
    EXPECT_NEAR(p.y(), y, 1e-9);
    EXPECT_NEAR(p.z(), z, 1e-9);
}

// The flat form of a valid camera: looking along -z from (1, 2, 3), +y up.
std::vector<double> FlatCamera(double eyeX = 1.0)
{
    return {0, 0, -1, 0, 1, 0, eyeX, 2, 3, eyeX, 2, -7, 2.0, 40.0, 30.0};
}

} // namespace

// --- One picture -------------------------------------------------------------------------------

TEST_F(PictureTest, ADefaultPictureLooksAlongZFromMinusHundred)
{
    CDsView3dCdc view;
    vyrtest::ViewSetup::Oblique(200, 100, false).ApplyTo(view);
    CDsPictureStorage().DisplayPicture(&view);
    ExpectPosition(view.get_eye(), 0, 0, -100);
    ExpectPosition(view.get_target(), 0, 0, 0);
    ExpectVector(view.get_direction(), 0, 0, 1);
    ExpectVector(view.get_up(), 0, 1, 0);
    // A 1 x 1 picture on a 2:1 viewport is widened to the viewport's shape.
    EXPECT_DOUBLE_EQ(view.get_width(), 2.0);
    EXPECT_DOUBLE_EQ(view.get_height(), 1.0);
    EXPECT_DOUBLE_EQ(view.get_image_scale(), 1.0);
}

TEST_F(PictureTest, AStoredPictureBringsTheViewBackToWhatItShowed)
{
    for (bool perspective : {false, true}) {
        SCOPED_TRACE(perspective ? "perspective" : "parallel");
        CDsView3dCdc view;
        // A rolled camera: its up is no axis a fallback could give back by chance.
        vyrtest::ViewSetup::Oblique(300, 150, perspective).Up({1, 1, 0}).ApplyTo(view);
        view.set_image_scale(1.5);
        const std::vector<float> before = Projections(view);
        const SPAunit_vector direction = view.get_direction(), up = view.get_up();
        const CDsPictureStorage picture(&view);

        // The user turns and zooms the view elsewhere.
        vyrtest::ViewSetup().Pixels(300, 150).Eye({-5, 60, 9}).Target({4, 0, 0}).Up({1, 0, 0}).Field(3, 1.5)
            .Perspective(perspective).ApplyTo(view);
        view.set_image_scale(0.25);

        picture.DisplayPicture(&view);
        ExpectSamePicture(view, before);
        ExpectVector(view.get_direction(), direction.x(), direction.y(), direction.z());
        ExpectVector(view.get_up(), up.x(), up.y(), up.z());
        EXPECT_DOUBLE_EQ(view.get_width(), 20.0);
        EXPECT_DOUBLE_EQ(view.get_height(), 10.0);
        EXPECT_DOUBLE_EQ(view.get_image_scale(), 1.5);

        // The same picture shows the same on another window of that size.
        CDsView3dCdc other;
        other.set_viewport(0, 0, 300, 150);
        other.set_perspective(perspective);
        picture.DisplayPicture(&other);
        ExpectSamePicture(other, before);
    }
}

TEST_F(PictureTest, ThePictureSavedByTheViewStaticsPutsTheCurrentViewBack)
{
    // Nothing to save from or to restore without a current view or a saved picture.
    CDsView3dCdc::StSavePicture();
    EXPECT_FALSE(CDsView3dCdc::StGetPictureExistance());
    CDsView3dCdc view;
    vyrtest::ViewSetup::Oblique(200, 100, true).Up({1, 1, 0}).ApplyTo(view);
    const std::vector<float> saved = Projections(view);
    CDsView3dCdc::StRestorePicture();
    CDsView3dCdc::StSwapPictures();
    ExpectSamePicture(view, saved);
    EXPECT_FALSE(CDsView3dCdc::StGetPictureExistance());

    CDsView3dCdc::StSavePicture();
    EXPECT_TRUE(CDsView3dCdc::StGetPictureExistance());
    vyrtest::ViewSetup().Pixels(200, 100).Eye({-5, 60, 9}).Target({4, 0, 0}).Perspective(true).ApplyTo(view);
    CDsView3dCdc::StRestorePicture();
    ExpectSamePicture(view, saved);
    EXPECT_TRUE(CDsView3dCdc::StGetPictureExistance());  // restoring keeps the picture

    // Saving again replaces the picture (the one before is freed).
    vyrtest::ViewSetup().Pixels(200, 100).Perspective(true).ApplyTo(view);
    const std::vector<float> second = Projections(view);
    CDsView3dCdc::StSavePicture();
    vyrtest::ViewSetup::Oblique(200, 100, true).ApplyTo(view);
    CDsView3dCdc::StRestorePicture();
    ExpectSamePicture(view, second);

    CDsView3dCdc::StInvalidatePicture();
    EXPECT_FALSE(CDsView3dCdc::StGetPictureExistance());
    vyrtest::ViewSetup::Oblique(200, 100, true).ApplyTo(view);
    const std::vector<float> kept = Projections(view);
    CDsView3dCdc::StRestorePicture();
    ExpectSamePicture(view, kept);
}

TEST_F(PictureTest, SwappingPicturesTwiceComesBackToTheFirstCamera)
{
    CDsView3dCdc view;
    vyrtest::ViewSetup().Pixels(200, 100).Eye({0, 0, 50}).ApplyTo(view);
    const std::vector<float> first = Projections(view);
    CDsView3dCdc::StSavePicture();
    vyrtest::ViewSetup::Oblique(200, 100, false).ApplyTo(view);
    const std::vector<float> second = Projections(view);

    CDsView3dCdc::StSwapPictures();
    ExpectSamePicture(view, first);
    CDsView3dCdc::StSwapPictures();
    ExpectSamePicture(view, second);
    CDsView3dCdc::StSwapPictures();
    ExpectSamePicture(view, first);
    EXPECT_TRUE(CDsView3dCdc::StGetPictureExistance());

    // The swap works on the current view: another view made current takes the saved camera.
    CDsView3dCdc other;
    other.set_viewport(0, 0, 200, 100);
    CDsView3dCdc::StSwapPictures();
    ExpectSamePicture(other, second);
    ExpectSamePicture(view, first);
}

TEST_F(PictureTest, NoViewLeavesThePictureAndNothingHappens)
{
    CDsPictureStorage picture(nullptr);
    picture.UpdatePicture(nullptr);
    picture.DisplayPicture(nullptr);
    ExpectPosition(picture.GetEye(), 0, 0, -100);
    EXPECT_DOUBLE_EQ(picture.GetWidth(), 1.0);
}

TEST_F(PictureTest, AnOrientationMatrixGivesDirectionUpAndAFixedSize)
{
    // Rows: right, up, direction.
    const float rows[9] = {0, 0, 1, 1, 0, 0, 0, 1, 0};
    const CDsPictureStorage picture(rows, 2.5f, 7.0f, 9.0f);
    ExpectVector(picture.GetDirection(), 0, 1, 0);
    ExpectVector(picture.GetUp(), 1, 0, 0);
    ExpectPosition(picture.GetEye(), 0, 0, 0);
    ExpectPosition(picture.GetTarget(), 0, 1, 0);
    EXPECT_DOUBLE_EQ(picture.GetScale(), 2.5);
    EXPECT_DOUBLE_EQ(picture.GetWidth(), 130.0);
    EXPECT_DOUBLE_EQ(picture.GetHeight(), 100.0);
}

TEST_F(PictureTest, CopiesAndAccessorsCarryEveryField)
{
    CDsPictureStorage picture;
    picture.SetOrientation(SPAunit_vector(0, 0, 1), SPAunit_vector(1, 0, 0));
    picture.SetEye(SPAposition(-10, 1, 2));
    picture.SetTarget(SPAposition(5, 1, 2));
    picture.SetScale(3.0);
    picture.SetWidth(8.0);
    picture.SetHeight(6.0);
    picture.FlipDirection();

    CDsPictureStorage assigned(nullptr);
    assigned = picture;
    CDsPictureStorage copiedObject;
    copiedObject.CopyObject(picture);
    const CDsPictureStorage constructed(picture);
    for (const CDsPictureStorage* copy : std::initializer_list<const CDsPictureStorage*>{&assigned, &copiedObject, &constructed}) {
        const CDsPictureStorage& p = *copy;
        SPAunit_vector up, direction;
        p.GetOrientation(up, direction);
        ExpectVector(up, 0, 0, 1);
        ExpectVector(direction, -1, 0, 0);
        ExpectPosition(p.GetEye(), -10, 1, 2);
        ExpectPosition(p.GetTarget(), 5, 1, 2);
        EXPECT_DOUBLE_EQ(p.GetScale(), 3.0);
        EXPECT_DOUBLE_EQ(p.GetWidth(), 8.0);
        EXPECT_DOUBLE_EQ(p.GetHeight(), 6.0);
    }
    picture.ResetMembers();
    EXPECT_DOUBLE_EQ(picture.GetScale(), 1.0);
    EXPECT_DOUBLE_EQ(picture.GetWidth(), 1.0);
    EXPECT_DOUBLE_EQ(picture.GetHeight(), 1.0);
}

TEST_F(PictureTest, TheFlatFormKeepsFifteenNumbersInItsOrder)
{
    CDsPictureStorage picture;
    const std::vector<double> flat = FlatCamera();
    ASSERT_TRUE(picture.SetData(flat.data(), 15));
    double out[16];
    std::fill(std::begin(out), std::end(out), -1.0);
    ASSERT_TRUE(picture.GetData(out, 16));
    for (int i = 0; i < 15; ++i) EXPECT_DOUBLE_EQ(out[i], flat[i]) << "number " << i;
    EXPECT_EQ(out[15], -1.0);  // nothing beyond the fifteen

    // A direction of any length is kept as a direction.
    std::vector<double> long_direction = flat;
    long_direction[2] = -4.0;
    ASSERT_TRUE(picture.SetData(long_direction.data(), 15));
    ExpectVector(picture.GetDirection(), 0, 0, -1);
}

TEST_F(PictureTest, TooShortOrNoCameraLeavesBothSidesAlone)
{
    CDsPictureStorage picture;
    ASSERT_TRUE(picture.SetData(FlatCamera().data(), 15));
    double buffer[14];
    std::fill(std::begin(buffer), std::end(buffer), -1.0);
    EXPECT_FALSE(picture.GetData(buffer, 14));
    for (double v : buffer) EXPECT_EQ(v, -1.0);
    EXPECT_FALSE(picture.GetData(nullptr, 15));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> refused;
    refused.push_back(FlatCamera(9.0));
    refused.back().resize(14);  // short
    for (int i : {0, 7, 14}) {
        refused.push_back(FlatCamera(9.0));
        refused.back()[i] = i == 7 ? inf : nan;
    }
    refused.push_back(FlatCamera(9.0));
    refused.back()[0] = refused.back()[1] = refused.back()[2] = 0.0;  // no direction
    refused.push_back(FlatCamera(9.0));
    refused.back()[3] = refused.back()[4] = refused.back()[5] = 0.0;  // no up
    for (int i : {12, 13, 14}) {
        refused.push_back(FlatCamera(9.0));
        refused.back()[i] = i == 13 ? -1.0 : 0.0;  // no size or scale
    }
    for (const std::vector<double>& data : refused) {
        EXPECT_FALSE(picture.SetData(data.data(), static_cast<int>(data.size())));
        EXPECT_DOUBLE_EQ(picture.GetEye().x(), 1.0);
        EXPECT_DOUBLE_EQ(picture.GetWidth(), 40.0);
    }
    EXPECT_FALSE(picture.SetData(nullptr, 15));
}

// --- Named pictures ------------------------------------------------------------------------------

TEST_F(PictureTest, NewNamesArePicAndAFreshUuid)
{
    CDsPictureList list;
    const std::wstring a = list.Add(new CDsPictureStorage);
    const std::wstring b = list.Add(new CDsPictureStorage);
    for (const std::wstring& name : {a, b}) {
        ASSERT_EQ(name.size(), 4u + 36u) << std::string(name.begin(), name.end());
        EXPECT_EQ(name.substr(0, 4), L"Pic-");
        for (size_t i = 4; i < name.size(); ++i) {
            const wchar_t c = name[i];
            if (i == 12 || i == 17 || i == 22 || i == 27)
                EXPECT_EQ(c, L'-');
            else
                EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')) << int(c);
        }
    }
    EXPECT_NE(a, b);
    EXPECT_EQ(list.GetPicturesCount(), 2);
    EXPECT_NE(list.GetPicture(a), nullptr);
    EXPECT_NE(list.GetPicture(a), list.GetPicture(b));
    EXPECT_EQ(list.Add(nullptr), L"");
    EXPECT_EQ(list.Add(list.GetPicture(a)), L"");  // held already: no second owner
    EXPECT_EQ(list.GetPicturesCount(), 2);
}

TEST_F(PictureTest, ReplacingOrRemovingANamedPictureFreesIt)
{
    AliveCountGuard guard;
    {
        CDsPictureList list;
        auto* first = new CountedPicture(1.0);
        auto* second = new CountedPicture(2.0);
        EXPECT_TRUE(list.Add(L"Front", first));
        EXPECT_TRUE(list.Add(L"Front", second));
        EXPECT_EQ(CountedPicture::sAlive, 1);
        EXPECT_EQ(list.GetPicture(L"Front"), second);
        EXPECT_TRUE(list.Add(L"Front", second));  // the same picture again changes nothing
        EXPECT_EQ(CountedPicture::sAlive, 1);

        // One picture under two names would be deleted twice.
        EXPECT_FALSE(list.Add(L"Top", second));
        EXPECT_EQ(list.GetPicture(L"Top"), nullptr);
        EXPECT_FALSE(list.Add(L"Top", nullptr));
        EXPECT_EQ(list.GetPicturesCount(), 1);

        list.Add(L"Top", new CountedPicture(3.0));
        list.Remove(L"Missing");
        EXPECT_EQ(CountedPicture::sAlive, 2);
        list.Remove(L"Front");
        EXPECT_EQ(CountedPicture::sAlive, 1);
        EXPECT_EQ(list.GetPicture(L"Front"), nullptr);
        EXPECT_EQ(list.GetPicturesCount(), 1);
    }
    EXPECT_EQ(CountedPicture::sAlive, 0);
}

TEST_F(PictureTest, CopiesOfAListOwnTheirOwnPictures)
{
    AliveCountGuard guard;
    auto original = std::make_unique<CDsPictureList>();
    original->Add(L"Front", new CountedPicture(1.0));
    original->Add(L"Side", new CountedPicture(2.0));

    CDsPictureList copied(*original);
    CDsPictureList assigned;
    assigned.Add(L"Old", new CountedPicture(9.0));
    assigned = *original;
    EXPECT_EQ(CountedPicture::sAlive, 2);  // the assigned list's old picture is gone
    const CDsPictureList& sameList = assigned;
    assigned = sameList;
    EXPECT_EQ(assigned.GetPicturesCount(), 2);

    original->GetPicture(L"Front")->SetEye(SPAposition(50, 0, 0));
    original.reset();  // would leave the copies with deleted pictures if they shared them
    EXPECT_EQ(CountedPicture::sAlive, 0);
    for (CDsPictureList* list : {&copied, &assigned}) {
        ASSERT_EQ(list->GetPicturesCount(), 2);
        EXPECT_EQ(list->GetPicture(L"Old"), nullptr);
        ASSERT_NE(list->GetPicture(L"Front"), nullptr);
        EXPECT_DOUBLE_EQ(list->GetPicture(L"Front")->GetEye().x(), 1.0);
        EXPECT_DOUBLE_EQ(list->GetPicture(L"Side")->GetEye().x(), 2.0);
    }
    EXPECT_NE(copied.GetPicture(L"Side"), assigned.GetPicture(L"Side"));
}

TEST_F(PictureTest, NamesComeInNameOrderAndMissingOnesAreEmpty)
{
    CDsPictureList list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetPictureName(0), L"");
    EXPECT_EQ(list.GetPictureName(-3), L"");
    list.Add(L"b", new CDsPictureStorage);
    list.Add(L"a", new CDsPictureStorage);
    list.Add(L"c", new CDsPictureStorage);
    EXPECT_FALSE(list.IsEmpty());
    EXPECT_EQ(list.GetPictureName(-1), L"a");
    EXPECT_EQ(list.GetPictureName(0), L"a");
    EXPECT_EQ(list.GetPictureName(1), L"b");
    EXPECT_EQ(list.GetPictureName(2), L"c");
    EXPECT_EQ(list.GetPictureName(3), L"");
    EXPECT_EQ(list.GetPicture(L"d"), nullptr);
}

TEST_F(PictureTest, NumberListsCarryNamedPicturesIntoAnotherList)
{
    CDsPictureList list;
    CDsPictureStorage* front = new CDsPictureStorage;
    ASSERT_TRUE(front->SetData(FlatCamera(1.0).data(), 15));
    list.Add(L"Front", front);
    list.Add(L"Default", new CDsPictureStorage);

    std::map<std::wstring, std::vector<double>> numbers;
    numbers[L"Default"] = {42.0};  // already there: kept as it is
    list.GetData(numbers);
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_EQ(numbers[L"Default"], std::vector<double>{42.0});
    EXPECT_EQ(numbers[L"Front"], FlatCamera(1.0));

    CDsPictureList other;
    numbers.erase(L"Default");
    EXPECT_TRUE(other.SetData(numbers));
    ASSERT_NE(other.GetPicture(L"Front"), nullptr);
    EXPECT_NE(other.GetPicture(L"Front"), front);
    double out[15];
    ASSERT_TRUE(other.GetPicture(L"Front")->GetData(out, 15));
    EXPECT_EQ(std::vector<double>(out, out + 15), FlatCamera(1.0));
}

TEST_F(PictureTest, ShortOrBrokenNumberListsAreRefusedAndLoseNothing)
{
    AliveCountGuard guard;
    CDsPictureList list;
    list.Add(L"Kept", new CountedPicture(7.0));

    std::map<std::wstring, std::vector<double>> numbers;
    numbers[L"Kept"] = FlatCamera(3.0);
    numbers[L"Kept"].resize(14);  // one number short
    numbers[L"Empty"] = {};
    numbers[L"Broken"] = FlatCamera(3.0);
    numbers[L"Broken"][13] = std::numeric_limits<double>::quiet_NaN();
    numbers[L"Good"] = FlatCamera(4.0);
    numbers[L"Longer"] = FlatCamera(5.0);
    numbers[L"Longer"].push_back(99.0);  // numbers beyond fifteen are not read

    EXPECT_FALSE(list.SetData(numbers));
    EXPECT_EQ(list.GetPicturesCount(), 3);
    EXPECT_EQ(CountedPicture::sAlive, 1);
    EXPECT_DOUBLE_EQ(list.GetPicture(L"Kept")->GetEye().x(), 7.0);
    EXPECT_EQ(list.GetPicture(L"Empty"), nullptr);
    EXPECT_EQ(list.GetPicture(L"Broken"), nullptr);
    ASSERT_NE(list.GetPicture(L"Good"), nullptr);
    EXPECT_DOUBLE_EQ(list.GetPicture(L"Good")->GetEye().x(), 4.0);
    ASSERT_NE(list.GetPicture(L"Longer"), nullptr);
    EXPECT_DOUBLE_EQ(list.GetPicture(L"Longer")->GetHeight(), 30.0);
}

TEST_F(PictureTest, TheViewLeftLastIsKeptOnceUnderAutoSave)
{
    CDsPictureList list;
    view3d plain;
    list.SaveLastPicture(&plain);  // not a display-core view
    list.SaveLastPicture(nullptr);
    EXPECT_TRUE(list.IsEmpty());

    CDsView3dCdc view;
    vyrtest::ViewSetup().Pixels(200, 100).Eye({0, 0, 50}).ApplyTo(view);
    list.SaveLastPicture(&view);
    vyrtest::ViewSetup::Oblique(200, 100, false).ApplyTo(view);
    const std::vector<float> second = Projections(view);
    list.SaveLastPicture(&view);

    ASSERT_EQ(list.GetPicturesCount(), 1);
    EXPECT_EQ(list.GetPictureName(0), L"_AutoSave_");
    CDsView3dCdc other;
    other.set_viewport(0, 0, 200, 100);
    list.GetPicture(L"_AutoSave_")->DisplayPicture(&other);
    ExpectSamePicture(other, second);
}
