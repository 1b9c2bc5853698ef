#include <gtest/gtest.h>

#include "framework/ui/canvas.h"
#include "framework/ui/session.h"
#include "framework/ui/window.h"

using namespace framework;
using framework::headless::Session;

namespace {

Ref<Picture> g_picture;

// One 200 x 60 canvas painted by the rule of the application's canvases: the
// whole picture into the whole area, whatever the areas asked for.
class PictureWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<PictureWindow, Window>("PictureWindow"); }

 protected:
  void CreateControls() override {
    AddControl<Canvas>("Canvas1", {.Left = 420, .Top = 14, .Width = 200, .Height = 60})
        .set_Paint([](Canvas&, Graphics& g, const std::vector<Rect>&) {
          if (!g_picture) return;
          g.DrawPicture(g_picture, 0, 0, g.Width(), g.Height(), 0, 0, g_picture->Width(), g_picture->Height());
        });
  }
};

Canvas& canvas(Session& s) {
  Canvas* c = s.control<Canvas>("PictureWindow.Canvas1");
  if (!c) throw std::runtime_error("no canvas");
  return *c;
}

struct PaintCase {
  const char* name;
  int32_t picture_width, picture_height;
  friend void PrintTo(const PaintCase& c, std::ostream* os) { *os << c.name; }
};

class PaintRule : public ::testing::TestWithParam<PaintCase> {};

TEST_P(PaintRule, DrawsTheWholePictureIntoTheWholeCanvas) {
  g_picture = make<Picture>(GetParam().picture_width, GetParam().picture_height);
  Session s;
  s.start([] { ImplicitWindow<PictureWindow>(); });
  const DisplayList& list = canvas(s).display_list();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].kind, DrawCommand::Kind::EraseBackground);
  EXPECT_EQ(list[0].dest, (Rect{0, 0, 200, 60}));
  EXPECT_EQ(list[1].kind, DrawCommand::Kind::DrawPicture);
  EXPECT_EQ(list[1].picture.get(), g_picture.get());
  EXPECT_EQ(list[1].dest, (Rect{0, 0, 200, 60}));
  EXPECT_EQ(list[1].source, (Rect{0, 0, GetParam().picture_width, GetParam().picture_height}));
  g_picture = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Pictures, PaintRule,
                         ::testing::Values(PaintCase{"HalfSize400x120", 400, 120},
                                           PaintCase{"Stretched100x100", 100, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CanvasTest, PaintForASmallAreaStillDrawsTheWholePicture) {
  g_picture = make<Picture>(400, 120);
  Session s;
  s.start([] { ImplicitWindow<PictureWindow>(); });
  int before = canvas(s).paint_count();
  s.run_event([&] { canvas(s).RefreshRect(10, 10, 4, 4); });
  EXPECT_EQ(canvas(s).paint_count(), before + 1);
  EXPECT_EQ(canvas(s).painted_areas(), (std::vector<Rect>{{10, 10, 4, 4}}));
  ASSERT_EQ(canvas(s).display_list().size(), 2u);
  EXPECT_EQ(canvas(s).display_list()[1].dest, (Rect{0, 0, 200, 60}));
  g_picture = nullptr;
}

TEST(CanvasTest, RefreshPaintsAtOnceAndWithoutEraseWhenAskedSo) {
  g_picture = make<Picture>(100, 100);
  Session s;
  s.start([] { ImplicitWindow<PictureWindow>(); });
  int painted_at_once = -1;
  s.run_event([&] {
    int before = canvas(s).paint_count();
    canvas(s).Refresh(false);
    painted_at_once = canvas(s).paint_count() - before;
  });
  EXPECT_EQ(painted_at_once, 1);
  ASSERT_EQ(canvas(s).display_list().size(), 1u);
  EXPECT_EQ(canvas(s).display_list()[0].kind, DrawCommand::Kind::DrawPicture);
  g_picture = nullptr;
}

TEST(CanvasTest, WithoutAPictureDrawsNothingButTheErase) {
  g_picture = nullptr;
  Session s;
  s.start([] { ImplicitWindow<PictureWindow>(); });
  ASSERT_EQ(canvas(s).display_list().size(), 1u);
  EXPECT_EQ(canvas(s).display_list()[0].kind, DrawCommand::Kind::EraseBackground);
}

struct SourceCase {
  const char* name;
  Rect dest, source;                           // as asked, on a 100 x 50 picture
  std::optional<std::pair<Rect, Rect>> drawn;  // dest, source as recorded
  friend void PrintTo(const SourceCase& c, std::ostream* os) { *os << c.name; }
};

class DrawPictureSource : public ::testing::TestWithParam<SourceCase> {};

TEST_P(DrawPictureSource, DrawsOnlyWhatLiesInThePicture) {
  Graphics g(200, 100);
  Ref<Picture> p = make<Picture>(100, 50);
  const SourceCase& c = GetParam();
  g.DrawPicture(p, c.dest.left, c.dest.top, c.dest.width, c.dest.height, c.source.left, c.source.top, c.source.width,
                c.source.height);
  if (!c.drawn) {
    EXPECT_TRUE(g.commands().empty());
    return;
  }
  ASSERT_EQ(g.commands().size(), 1u);
  EXPECT_EQ(g.commands()[0].dest, c.drawn->first);
  EXPECT_EQ(g.commands()[0].source, c.drawn->second);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, DrawPictureSource,
    ::testing::Values(
        SourceCase{"Inside", {0, 0, 200, 100}, {0, 0, 100, 50}, {{{0, 0, 200, 100}, {0, 0, 100, 50}}}},
        SourceCase{"RightHalfOutside", {0, 0, 200, 100}, {50, 0, 100, 50}, {{{0, 0, 100, 100}, {50, 0, 50, 50}}}},
        SourceCase{"NegativeOrigin", {0, 0, 100, 100}, {-50, -25, 100, 50}, {{{50, 50, 50, 50}, {0, 0, 50, 25}}}},
        SourceCase{"WhollyOutside", {0, 0, 100, 100}, {100, 0, 10, 10}, std::nullopt},
        SourceCase{"EmptyDestination", {0, 0, 0, 100}, {0, 0, 100, 50}, std::nullopt},
        SourceCase{"NegativeSource", {0, 0, 100, 100}, {0, 0, -5, 50}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CanvasTest, DrawingANilPictureRaisesNilObjectException) {
  Graphics g(10, 10);
  EXPECT_THROW(g.DrawPicture(nullptr, 0, 0), NilObjectException);
}

}  // namespace
