#include "levels/NavPaths.h"

#include "context/LevelGlobals.h"

#include <cmath>

namespace vlm::levels {

std::string NavPathFile(int number) { return "\\Data\\t_data\\nav\\" + std::to_string(number) + ".ini"; }

void ReadNavPaths(const IniReadFn& read, TNavPathTable& paths) {
    paths.clear();
    for (int p = 0;; ++p) {
        const FieldReader f(read, NavPathFile(p));
        if (!f.TryFloat("i", "i")) return;
        // A path is added whole, so that one whose values do not all convert is not left
        // half-read in the table.
        TNodesPath path;
        path.Looped = f.Int("i", "loo") == 1;
        for (int n = 0;; ++n) {
            const std::string section = SectionName(n);
            if (!f.TryFloat(section, "s1")) break;
            auto value = [&](const char* key) {
                const double v = f.Float(section, key);
                if (!(std::fabs(v) <= kMaxNavValue))
                    throw EFieldError(f.File(), section, key, f.Text(section, key), "number from -1000000 to 1000000");
                return v;
            };
            TNavNode node;
            node.Speed = value("s1");
            node.X = value("p1x");
            node.Y = value("p1y");
            node.Z = value("p1z");
            node.RotX = value("r1x");
            node.RotY = value("r1y");
            node.RotZ = value("r1z");
            path.Nodes.push_back(node);
        }
        paths.push_back(std::move(path));
    }
}

void LoadNavPaths(const IniReadFn& read, TLevelGlobals& globals) {
    globals.LevelTime = 0.0;
    ReadNavPaths(read, globals.NavPaths);
}

} // namespace vlm::levels
