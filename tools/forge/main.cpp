// vlm_forge: makes every image, sprite sheet, font sheet and mesh of the game.
//
//   vlm_forge <content folder> [--preview <folder>] [--only <text>]
//
// --preview also writes a PNG copy of every picture into the given folder;
// --only makes just the assets whose game path contains the text.
#include "Painters.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    using namespace vlm::forge;
    std::string root, preview, only;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--preview" && i + 1 < argc)
            preview = argv[++i];
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (root.empty() && !a.empty() && a[0] != '-')
            root = a;
        else {
            std::fprintf(stderr, "vlm_forge: unknown argument \"%s\"\n", a.c_str());
            return 2;
        }
    }
    if (root.empty()) {
        std::fprintf(stderr, "usage: vlm_forge <content folder> [--preview <folder>] [--only <text>]\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    try {
        Output out(root, preview, only);
        paintInterface(out);
        paintFont(out);
        paintEffects(out);
        paintBonuses(out);
        paintEnemies(out);
        paintShip(out);
        paintScenery(out);
        out.finish();
        double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("vlm_forge: wrote %d files into %s in %.1f s\n", out.written(), root.c_str(), secs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vlm_forge: %s\n", e.what());
        return 1;
    }
    return 0;
}
