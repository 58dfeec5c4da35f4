#include "ViewFixture.h"

#include "../richtext_model/ExpectRNError.h"

#include "platform/base/InputTypes.h"
#include "richtext/model/RNError.h"

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr int Left = static_cast<int>(TMouseButton::mbLeft);
constexpr int Right = static_cast<int>(TMouseButton::mbRight);
constexpr uint32_t LeftDown = 1u << static_cast<int>(TShiftStateItem::ssLeft);
constexpr uint32_t ShiftLeft = LeftDown | 1u << static_cast<int>(TShiftStateItem::ssShift);

// Jump ids count from 100.
class MouseHost : public FakeHost {
public:
    MouseHost() { FirstJumpNo = 100; }
};

// A viewer on the fake canvas (8 px characters, 20 px lines); text style 1 is a link.
struct MouseViewer : HostedViewer<MouseHost> {
    std::vector<int> Jumps;

    explicit MouseViewer(int width = 200) : HostedViewer(width) {
        Style.TextStyles()[1].Jump = true;
        Style.TextStyles()[1].HoverColor = clRed;
        Host.Flags.Include(TRNFlag::rnflUseJumps);
        Host.Options.Include(TRNOption::rnoAllowSelection);
        Host.Handlers.OnJump = [this](IRichNoteHost&, int id) { Jumps.push_back(id); };
    }
    std::array<int, 4> Selection() {
        std::array<int, 4> b{};
        Data->GetSelectionBounds(b[0], b[1], b[2], b[3], true);
        return b;
    }
};

struct Event {
    char Kind; // d(own), m(ove), u(p)
    int X, Y;
    uint32_t Shift = LeftDown;
};

void Play(MouseViewer& v, const std::vector<Event>& events) {
    for (const Event& e : events) {
        if (e.Kind == 'd') {
            v.D().MouseDown(Left, e.Shift, e.X, e.Y);
        } else if (e.Kind == 'm') {
            v.D().MouseMove(e.Shift, e.X, e.Y);
        } else {
            v.D().MouseUp(Left, e.Shift, e.X, e.Y);
        }
    }
}

TEST(Mouse, AJumpFiresWhenPressedAndReleasedOverIt) {
    // "plain " (0..48), then the link "go here" (48..104).
    const struct {
        const char* Name;
        std::vector<Event> Events;
        std::vector<int> Fired;
    } cases[] = {
        {"click", {{'d', 60, 5}, {'u', 60, 5}}, {100}},
        {"out and back", {{'d', 60, 5}, {'m', 150, 60}, {'m', 61, 5}, {'u', 61, 5}}, {100}},
        {"released elsewhere", {{'d', 60, 5}, {'m', 150, 60}, {'u', 150, 60}}, {}},
        {"pressed elsewhere", {{'d', 10, 5}, {'m', 60, 5}, {'u', 60, 5}}, {}},
        {"after a drag", {{'d', 52, 5}, {'m', 90, 5}, {'u', 90, 5}}, {}},
    };
    for (const auto& c : cases) {
        MouseViewer v;
        v.D().AddNL("plain ", 0, 0);
        v.D().AddNL("go here", 1, -1);
        v.Format();
        Play(v, c.Events);
        EXPECT_EQ(v.Jumps, c.Fired) << c.Name;
    }
}

TEST(Mouse, AWrappedLinkHasOneIdAndLightsUpWhole) {
    MouseViewer v(80);
    v.D().AddNL("linked words wrap", 1, 0);
    v.Format();
    ASSERT_GE(v.D().Jumps.Count(), 2);
    EXPECT_EQ(v.D().Jumps[0]->Id, v.D().Jumps[1]->Id);
    std::vector<int> moves;
    v.Host.Handlers.OnRNMouseMove = [&](IRichNoteHost&, int id) { moves.push_back(id); };
    v.Host.Invalidated.clear();
    const TRNJumpInfo& second = *v.D().Jumps[1];
    v.D().MouseMove(0, second.Left + 2, second.Top + 2);
    EXPECT_EQ(moves, std::vector<int>{100});
    EXPECT_EQ(v.Host.Invalidated.size(), static_cast<size_t>(v.D().Jumps.Count()));
    v.D().MouseMove(0, 150, 90);
    EXPECT_EQ(moves, (std::vector<int>{100, -1}));
}

TEST(Mouse, AJumpWhoseDrawItemIsGoneIsPassedOver) {
    MouseViewer v(80);
    v.D().AddNL("plain", 0, 0);
    v.D().AddNL("linked words wrap", 1, 0);
    v.Format();
    const TRNJumpInfo last = *v.D().Jumps[v.D().Jumps.Count() - 1];
    // A partial reformat leaves the areas as they were: the link is now one line.
    v.D().Items()[1].Text = "link";
    v.D().FormatParas(1, v.D().DrawItems.Count() - 1, 0);
    ASSERT_GE(last.DrawItemNo, v.D().DrawItems.Count());
    std::vector<int> moves;
    v.Host.Handlers.OnRNMouseMove = [&](IRichNoteHost&, int id) { moves.push_back(id); };
    v.D().MouseMove(0, last.Left + 1, last.Top + 1);
    EXPECT_TRUE(moves.empty());
}

TEST(Mouse, SelectingWithTheMouse) {
    // "hello world": character k (1-based) spans x 8(k-1)..8k.
    const struct {
        const char* Name;
        TRNOptions Options;
        std::vector<Event> Events;
        std::array<int, 4> Selection;
    } cases[] = {
        {"drag", {}, {{'d', 8, 5}, {'m', 40, 5}, {'u', 40, 5}}, {0, 2, 0, 6}},
        {"shift+click keeps the anchor",
         {},
         {{'d', 8, 5}, {'u', 40, 5}, {'d', 64, 5, ShiftLeft}, {'u', 64, 5, ShiftLeft}},
         {0, 2, 0, 9}},
        {"shift+click without a selection starts one",
         {},
         {{'d', 64, 5, ShiftLeft}, {'u', 64, 5, ShiftLeft}},
         {0, 9, 0, 9}},
    };
    for (const auto& c : cases) {
        MouseViewer v;
        v.D().AddNL("hello world", 0, 0);
        v.Format();
        Play(v, c.Events);
        EXPECT_EQ(v.Selection(), c.Selection) << c.Name;
    }
}

TEST(Mouse, RightClickDeselectsOnlyOutsideTheSelection) {
    for (const auto& [x, expected] : {std::pair{40, std::array<int, 4>{0, 2, 0, 9}},
                                      std::pair{80, std::array<int, 4>{0, 11, 0, 11}}}) {
        MouseViewer v;
        v.Host.Options.Include(TRNOption::rnoRClickDeselects);
        v.D().AddNL("hello world", 0, 0);
        v.Format();
        v.D().SetSelectionBounds(0, 2, 0, 9);
        v.D().MouseDown(Right, 0, x, 5);
        v.D().MouseUp(Right, 0, x, 5);
        EXPECT_EQ(v.Selection(), expected) << x;
    }
}

TEST(Mouse, DoubleClickSelectsTheWordAndTheNextPressStartsNothing) {
    MouseViewer v;
    v.Host.Options.Include(TRNOption::rnoDblClickSelectsWord);
    std::string clicked;
    v.Host.Handlers.OnRNDblClick = [&](IRichNoteHost&, const std::string& w, int) { clicked = w; };
    v.D().AddNL("hello world", 0, 0);
    v.Format();
    v.D().MouseDown(Left, LeftDown, 60, 5);
    v.D().MouseUp(Left, LeftDown, 60, 5);
    v.D().DblClick(60, 5);
    EXPECT_EQ(clicked, "world");
    v.D().MouseDown(Left, LeftDown, 8, 5);
    EXPECT_EQ(v.Selection(), (std::array<int, 4>{0, 7, 0, 12}));
    v.D().MouseUp(Left, LeftDown, 8, 5);
    v.D().MouseDown(Left, LeftDown, 8, 5);
    EXPECT_EQ(v.Selection(), (std::array<int, 4>{0, 2, 0, 2}));
}

TEST(Mouse, DragPointsAreKeptInsideTheViewUnlessCorrect) {
    // Ten lines of 20 px in a view 100 px high.
    for (const bool correct : {false, true}) {
        MouseViewer v;
        if (correct) {
            v.Host.Flags.Include(TRNFlag::rnflMouseXYAlwaysCorrect);
        }
        for (int i = 0; i < 10; ++i) {
            v.D().AddNL("line", 0, 0);
        }
        v.Format();
        Play(v, {{'d', 0, 5}, {'m', 10, 500}});
        EXPECT_EQ(v.D().DrawItems[v.D().SelEndNo]->ItemNo, correct ? 9 : 5) << correct;
    }
}

TEST(Mouse, CheckpointAndJumpLookUps) {
    MouseViewer v;
    v.D().AddNL("first", 0, 0);
    v.D().AddNamedCheckpointEx("second", false);
    v.D().AddNL("second", 1, 0);
    v.D().AddNamedCheckpointEx("end", false);
    TRNCPInfo* second = v.D().FindCheckpointByName("second");
    ASSERT_NE(second, nullptr);
    ExpectRNError([&] { v.D().GetCheckpointYEx(second); },
                  "RichNote must be formatted for this operation");
    ExpectRNError([&] { v.D().GetCheckpointYEx(nullptr); }, "Parameter can't be NIL");
    v.Format();
    EXPECT_EQ(v.D().GetCheckpointYEx(second), 20);
    int x = -1, y = -1;
    v.D().GetCheckpointXY(v.D().NotAddedCP.get(), x, y);
    EXPECT_EQ((std::pair{x, y}), (std::pair{0, v.D().DocumentHeight}));
    EXPECT_EQ(v.D().GetJumpPointY(100), 20);
    EXPECT_EQ(v.D().GetJumpPointItemNo(100), 1);
    EXPECT_EQ(v.D().GetJumpPointItemNo(0), -1);
}

} // namespace
