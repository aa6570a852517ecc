// The stones painted into the backgrounds and the splash picture, and the parts of the menu and
// help backgrounds that texts and pictures must fit into. The painters draw from these and the
// picture checks read them, so a moved stone or band is checked where it is drawn.
#pragma once

#include <cstdlib>
#include <string_view>
#include <vector>

namespace assetgen {

struct StonePlacement {
    double x, y, size;
    int colour;
};

// A pixel rectangle, right and bottom exclusive.
struct PixelRect {
    int left, top, right, bottom;
};

// The menu background's lit band behind the screen titles, and the frame around it.
inline constexpr PixelRect kMenuTitleBand{214, 242, 586, 318};
inline constexpr PixelRect kMenuPanel{200, 232, 600, 578};
// The help background: the title strip at the top, the one panel for texts and pictures, and
// the button strip at the bottom. The panel's top edge is the strip's gold line.
inline constexpr PixelRect kHelpTitleStrip{0, 0, 800, 47};
inline constexpr PixelRect kHelpPanel{10, 47, 790, 550};

inline std::vector<StonePlacement> DecorationStones(std::string_view picture) {
    std::vector<StonePlacement> stones;
    if (picture == "menuehg2.bmp") {
        // A zigzag row across the top, the panel's corner jewels, columns beside the panel.
        for (int i = 0; i < 15; ++i) {
            stones.push_back({400 + (i - 7) * 40 * 1.06, 28 + (i % 2) * 40 * 0.53, 40, 1 + i % 9});
        }
        stones.push_back({kMenuPanel.left, kMenuPanel.top, 34, 2});
        stones.push_back({kMenuPanel.right, kMenuPanel.top, 34, 1});
        stones.push_back({kMenuPanel.left, kMenuPanel.bottom, 34, 3});
        stones.push_back({kMenuPanel.right, kMenuPanel.bottom, 34, 4});
        for (int i = 0; i < 6; ++i) {
            stones.push_back({45.0 + 30 * (i % 2), 290.0 + 50 * i, 44, 1 + i});
            stones.push_back({755.0 - 30 * (i % 2), 290.0 + 50 * i, 44, 9 - i});
        }
    } else if (picture == "hilfehg.bmp") {
        stones.push_back({170, 24, 30, 2});
        stones.push_back({630, 24, 30, 1});
    } else if (picture == "wuxsplash.bmp") {
        // A diamond of stones on the lattice, open in the middle for the name.
        int colour = 0;
        for (int j = -3; j <= 3; ++j) {
            for (int i = -3; i <= 3; ++i) {
                if (((i + j) & 1) != 0 || std::abs(i) + std::abs(j) > 4) continue;
                if (j == 0 || j == 1 || (j == -1 && std::abs(i) < 2)) continue;
                stones.push_back({200.0 + i * 40, 200.0 + j * 40, 60, 1 + colour++ % 9});
            }
        }
    } else if (picture == "spielhg2.bmp" || picture == "spielhg3.bmp") {
        // The jewel beside the level label, too small for a symbol.
        stones.push_back({665, 35, 22, 2});
    }
    return stones;
}

}  // namespace assetgen
