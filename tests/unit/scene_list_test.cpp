// The scene's list: a picture brought up to date by drawing again only the tiles whose items
// changed is the picture the new list draws whole, for keyed, opaque and blended items that
// overlap, move, appear, vanish and stick out of the picture.
#include "platform/scene_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "core/random.h"
#include "platform/changed_tiles.h"

namespace {

constexpr int kW = 203;  // no multiple of the tile side: ragged right and bottom tiles
constexpr int kH = 151;

Surface Sheet(std::uint32_t seed) {
    Surface s;
    SetSurfaceSize(s, 64, 48);
    for (size_t i = 0; i < s.pixels.size(); ++i) {
        const std::uint32_t v = static_cast<std::uint32_t>((i + seed) * 2654435761u) & 0xFFFFFF;
        s.pixels[i] = (v & 7) == 0 ? kMagenta : v;  // one pixel in eight transparent
    }
    SetTransparentColor(s, kMagenta);
    PrepareRuns(s);
    return s;
}

// One item of a random kind, size and place (sometimes partly or wholly outside).
void AddRandom(SceneList& list, Random& rng, const Surface& sheet) {
    const int w = 1 + rng.Next(40);
    const int h = 1 + rng.Next(40);
    const int sx = rng.Next(sheet.width - w + 1);
    const int sy = rng.Next(sheet.height - h + 1);
    const Rect src{sx, sy, sx + w, sy + h};
    const int x = rng.Next(kW + 40) - 30;
    const int y = rng.Next(kH + 40) - 30;
    switch (rng.Next(3)) {
        case 0:
            list.AddRect(x, y, src, rng.Next(2) == 1, sheet);
            break;
        case 1:
            list.AddAlpha(Rect{x, y, x + 1 + rng.Next(60), y + 1 + rng.Next(60)}, src, sheet,
                          rng.Next(2) == 1, rng.Next(300) - 20);
            break;
        default:
            list.AddFill(Rect{x, y, x + w, y + h}, static_cast<std::uint32_t>(rng.Next(1 << 24)));
    }
}

SceneList RandomList(Random& rng, const Surface& sheet, int items) {
    SceneList list;
    list.Clear(kW, kH);
    list.AddFill(Rect{0, 0, kW, kH}, 0);
    for (int i = 0; i < items; ++i) AddRandom(list, rng, sheet);
    return list;
}

// The same list with some items dropped, some added and some moved by a pixel: about one in
// `rarity` items.
SceneList Changed(const SceneList& was, Random& rng, const Surface& sheet, int rarity = 20) {
    SceneList now;
    now.Clear(kW, kH);
    now.AddFill(Rect{0, 0, kW, kH}, 0);  // the frame's black fill stays first, as in the game
    for (size_t i = 1; i < was.Items().size(); ++i) {
        const SceneItem& it = was.Items()[i];
        const int what = rng.Next(rarity);
        if (what == 0) continue;
        if (what == 1) AddRandom(now, rng, sheet);
        Rect d = it.dst;
        if (what == 2) ++d.left, ++d.right;
        switch (it.kind) {
            case SceneItem::Kind::kFill:
                now.AddFill(d, it.colour);
                break;
            case SceneItem::Kind::kRect:
                now.AddRect(d.left, d.top, it.src, it.keyed, *it.source);
                break;
            case SceneItem::Kind::kAlpha:
                now.AddAlpha(d, it.src, *it.source, it.keyed, what == 3 ? it.alpha / 2 : it.alpha);
                break;
        }
    }
    return now;
}

// The same number of items, about one in `rarity` moved or given another look in its place, as
// on a playing field where only the cannon, the time bar and the marker change.
SceneList ChangedInPlace(const SceneList& was, Random& rng, int rarity) {
    SceneList now;
    now.Clear(kW, kH);
    for (const SceneItem& old : was.Items()) {
        SceneItem it = old;
        const bool change = &old != &was.Items().front() && rng.Next(rarity) == 0;
        if (change) {
            const int dx = rng.Next(9) - 4;
            it.dst = Rect{it.dst.left + dx, it.dst.top + 1, it.dst.right + dx, it.dst.bottom + 1};
        }
        switch (it.kind) {
            case SceneItem::Kind::kFill:
                now.AddFill(it.dst, change ? it.colour ^ 0x404040 : it.colour);
                break;
            case SceneItem::Kind::kRect:
                now.AddRect(it.dst.left, it.dst.top, it.src, change ? !it.keyed : it.keyed,
                            *it.source);
                break;
            case SceneItem::Kind::kAlpha:
                now.AddAlpha(it.dst, it.src, *it.source, it.keyed,
                             change ? std::max(1, it.alpha - 60) : it.alpha);
                break;
        }
    }
    return now;
}

Surface DrawnWhole(const SceneList& list) {
    Surface s;
    SetSurfaceSize(s, kW, kH);
    list.Draw(s, Rect{0, 0, kW, kH});
    return s;
}

class SceneListSeeds : public ::testing::TestWithParam<int> {};

TEST_P(SceneListSeeds, ChangedTilesRedrawnGiveTheWholePicture) {
    Random rng;
    rng.Seed(static_cast<std::uint64_t>(GetParam()));
    const Surface sheet = Sheet(static_cast<std::uint32_t>(GetParam()));
    SceneList shown = RandomList(rng, sheet, 5 + rng.Next(60));
    Surface picture = DrawnWhole(shown);
    for (int frame = 0; frame < 30; ++frame) {
        // Busy frames, frames where only an item or two differ (most of the game's frames), and
        // frames whose items change in their places.
        SceneList next = frame % 3 == 2 ? ChangedInPlace(shown, rng, 1 + frame % 7 * 6)
                                        : Changed(shown, rng, sheet, frame % 3 == 0 ? 20 : 200);
        const std::vector<Rect> rects = ChangedByItems(shown, next, kChangedTileSize);
        for (const Rect& r : rects) next.Draw(picture, r);
        ASSERT_EQ(picture.pixels, DrawnWhole(next).pixels) << "frame " << frame;
        shown = std::move(next);
    }
}

INSTANTIATE_TEST_SUITE_P(Random, SceneListSeeds, ::testing::Range(1, 25));

TEST(SceneList, AnUnchangedListDrawsAndSendsNothing) {
    Random rng;
    rng.Seed(7);
    const Surface sheet = Sheet(7);
    Random again = rng;
    const SceneList a = RandomList(rng, sheet, 50);
    const SceneList b = RandomList(again, sheet, 50);
    EXPECT_TRUE(ChangedByItems(a, b, kChangedTileSize).empty());
    // The same items in another order may draw another picture.
    SceneList swapped;
    swapped.Clear(kW, kH);
    swapped.AddRect(10, 10, Rect{0, 0, 20, 20}, false, sheet);
    swapped.AddRect(15, 15, Rect{20, 20, 40, 40}, false, sheet);
    SceneList order;
    order.Clear(kW, kH);
    order.AddRect(15, 15, Rect{20, 20, 40, 40}, false, sheet);
    order.AddRect(10, 10, Rect{0, 0, 20, 20}, false, sheet);
    EXPECT_FALSE(ChangedByItems(swapped, order, kChangedTileSize).empty());
}

// Tiles of side kChangedTileSize that a rectangle touches.
std::set<std::pair<int, int>> TilesOf(const Rect& r) {
    std::set<std::pair<int, int>> tiles;
    for (int y = r.top / kChangedTileSize; y <= (r.bottom - 1) / kChangedTileSize; ++y)
        for (int x = r.left / kChangedTileSize; x <= (r.right - 1) / kChangedTileSize; ++x)
            tiles.insert({x, y});
    return tiles;
}

TEST(SceneList, OneMovedItemRedrawsTheTilesItLeftAndEnteredAndNoOthers) {
    Random rng;
    rng.Seed(11);
    const Surface sheet = Sheet(11);
    for (int round = 0; round < 30; ++round) {
        SceneList was = RandomList(rng, sheet, 40);
        const size_t moved = 1 + static_cast<size_t>(rng.Next(40));
        SceneList now;
        now.Clear(kW, kH);
        std::set<std::pair<int, int>> expected;
        for (size_t i = 0; i < was.Items().size(); ++i) {
            SceneItem it = was.Items()[i];
            if (i == moved) {
                const int dx = rng.Next(40) - 20;
                const int dy = rng.Next(40) - 20;
                if (it.kind != SceneItem::Kind::kFill) continue;  // fills move freely
                expected = TilesOf(it.box);
                it.dst =
                    Rect{it.dst.left + dx, it.dst.top + dy, it.dst.right + dx, it.dst.bottom + dy};
                now.AddFill(it.dst, it.colour + (dx == 0 && dy == 0 ? 1 : 0));
                if (!now.Items().empty() && now.Items().size() == i + 1)
                    for (const auto& t : TilesOf(now.Items().back().box)) expected.insert(t);
                continue;
            }
            if (it.kind == SceneItem::Kind::kFill)
                now.AddFill(it.dst, it.colour);
            else if (it.kind == SceneItem::Kind::kRect)
                now.AddRect(it.dst.left, it.dst.top, it.src, it.keyed, *it.source);
            else
                now.AddAlpha(it.dst, it.src, *it.source, it.keyed, it.alpha);
        }
        if (was.Items().size() <= moved || was.Items()[moved].kind != SceneItem::Kind::kFill)
            continue;
        std::set<std::pair<int, int>> got;
        for (const Rect& r : ChangedByItems(was, now, kChangedTileSize))
            for (const auto& t : TilesOf(r)) got.insert(t);
        EXPECT_EQ(got, expected) << "round " << round;
    }
}

// A picture taken with its known changes is the picture as shown: a later comparison finds
// exactly what changed after it.
TEST(ChangedTilesTake, CopiesTheNamedRectanglesOnly) {
    ChangedTiles tiles;
    Surface a;
    SetSurfaceSize(a, 64, 64);
    tiles.Update(a, false);
    a.At(5, 5) = 1;
    a.At(40, 40) = 2;
    const std::vector<Rect>& taken = tiles.Take(a, {Rect{0, 0, 16, 16}});
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(tiles.ChangedArea(), 256);
    const std::vector<Rect>& left = tiles.Update(a, false);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].left, 32);
    EXPECT_EQ(left[0].top, 32);
}

// Whatever mix of Takes and Updates a caller makes, the rectangles given back bring a window
// that shows them up to date with the picture: after Takes in a row no copy of the picture is
// kept, and the Update after them must not compare with an old one. Few colours on a small
// picture, so pixels often change back to what an old copy holds.
class ChangedTilesMix : public ::testing::TestWithParam<int> {};

TEST_P(ChangedTilesMix, TheWindowAlwaysShowsThePicture) {
    Random rng;
    rng.Seed(static_cast<std::uint64_t>(GetParam()));
    constexpr int kSide = 40;
    ChangedTiles tiles(8);
    Surface picture, window;
    SetSurfaceSize(picture, kSide, kSide);
    SetSurfaceSize(window, kSide, kSide);
    auto show = [&](const std::vector<Rect>& rects) {
        for (const Rect& r : rects)
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) window.At(x, y) = picture.At(x, y);
    };
    show(tiles.Update(picture, false));
    for (int step = 0; step < 400; ++step) {
        if (rng.Next(3) != 0) {
            // A Take: the changes lie in the rectangles the caller names.
            std::vector<Rect> named;
            for (int n = rng.Next(3); n > 0; --n) {
                const int x = rng.Next(kSide - 4);
                const int y = rng.Next(kSide - 4);
                const Rect r{x, y, x + 1 + rng.Next(4), y + 1 + rng.Next(4)};
                picture.At(r.left, r.top) = static_cast<std::uint32_t>(rng.Next(2));
                named.push_back(r);
            }
            show(tiles.Take(picture, named));
        } else {
            for (int n = rng.Next(4); n > 0; --n)
                picture.At(rng.Next(kSide), rng.Next(kSide)) =
                    static_cast<std::uint32_t>(rng.Next(2));
            show(tiles.Update(picture, false));
        }
        ASSERT_EQ(window.pixels, picture.pixels) << "step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Random, ChangedTilesMix, ::testing::Range(1, 13));

// A still screen taken tick after tick copies nothing, yet a pixel that then changes back to
// what an older copy held is still sent.
TEST(ChangedTilesTake, APixelChangedBackAfterTakesIsSent) {
    ChangedTiles tiles;
    Surface a;
    SetSurfaceSize(a, 64, 64);
    tiles.Update(a, false);
    a.At(5, 5) = 7;
    tiles.Take(a, {Rect{0, 0, 16, 16}});
    a.At(5, 5) = 0;
    tiles.Take(a, {Rect{0, 0, 16, 16}});
    a.At(5, 5) = 7;
    tiles.Take(a, {Rect{0, 0, 16, 16}});
    a.At(5, 5) = 0;
    const std::vector<Rect>& sent = tiles.Update(a, false);
    bool covered = false;
    for (const Rect& r : sent)
        covered = covered || (r.left <= 5 && r.right > 5 && r.top <= 5 && r.bottom > 5);
    EXPECT_TRUE(covered);
}

}  // namespace
