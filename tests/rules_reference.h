// The rules of the machine written out again, independently of the game's
// tables and code: what the four reels pay and score at every stop. The
// tests hold the game's pay table and its odds against this.
#pragma once

namespace reference {

// The strips as the rules state them.
inline const int Strip[4][10] = {
    {0, 8, 1, 2, 9, 4, 5, 10, 7, 11},
    {8, 0, 1, 9, 5, 2, 11, 10, 7, 4},
    {11, 2, 8, 1, 0, 9, 4, 5, 10, 7},
    {4, 5, 0, 8, 1, 2, 9, 7, 11, 10},
};

inline int Sym(int reel, int index) { return Strip[reel][((index % 10) + 10) % 10]; }

// Which rule paid: four of a kind, three of a kind on reels 0 to 2 (with
// the symbol), all bars, a cherry in every window.
enum class Win { None, Four, Three, Bars, Cherries };

// Four of a kind pay by symbol; three of a kind on reels 0 to 2 pay less;
// then all bars, then a cherry in every window. rows receives per reel the
// row of the winning symbol (-1 top, 0 win line, 1 bottom).
inline int ExpectedPayout(const int p[4], int rows[4], Win* win = nullptr, int* symbol = nullptr) {
    Win w = Win::None;
    int s = -1;
    if (!win) win = &w;
    if (!symbol) symbol = &s;
    *win = Win::None;
    for (int i = 0; i < 4; ++i) rows[i] = 0;
    const int a = Sym(0, p[0]), b = Sym(1, p[1]), c = Sym(2, p[2]), d = Sym(3, p[3]);
    *symbol = a;
    auto four = [](int s) {
        switch (s) {
            case 10: return 200;
            case 9: return 150;
            case 8: return 100;
            case 0: case 1: case 2: case 4: case 5: case 7: case 11: return 50;
        }
        return 0;
    };
    auto three = [](int s) {
        switch (s) {
            case 10: return 50;
            case 9: return 30;
            case 8: return 20;
            case 0: case 1: case 2: case 4: case 5: case 7: case 11: return 10;
        }
        return 0;
    };
    if (a == b && b == c && c == d && four(a)) {
        *win = Win::Four;
        return four(a);
    }
    if (a == b && b == c && three(a)) {
        *win = Win::Three;
        return three(a);
    }
    auto bar = [](int s) { return s == 8 || s == 9 || s == 10; };
    if (bar(a) && bar(b) && bar(c) && bar(d)) {
        *win = Win::Bars;
        return 2;
    }
    for (int i = 0; i < 4; ++i) {
        int found = 2;
        for (int row = -1; row <= 1; ++row)
            if (Sym(i, p[i] + row) == 4) found = row;
        if (found == 2) return 0;
        rows[i] = found;
    }
    *win = Win::Cherries;
    return 2;
}

inline int ExpectedPoints(const int p[4]) {
    int points = 0;
    for (int i = 0; i < 4; ++i) {
        const int s = Sym(i, p[i]);
        points += s == 8 ? 1 : s == 9 ? 2 : s == 10 ? 3 : 0;
    }
    return points;
}

}  // namespace reference
