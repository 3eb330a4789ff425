#include "Manifest.h"

namespace vlm::forge {

const std::vector<EnemyLook>& EnemyLooks() {
    static const std::vector<EnemyLook> looks = {
        {"Drone.bmp", 48, 8, "tiny drone, spawned child or swarm filler"},
        {"Wasp.bmp", 64, 8, "light interceptor"},
        {"Dart.bmp", 64, 8, "fast arrowhead diver"},
        {"Orb.bmp", 64, 8, "floating mine that bursts into a ring of shots"},
        {"Hornet.bmp", 80, 8, "striker with twin guns"},
        {"Medic.bmp", 80, 8, "healer"},
        {"Manta.bmp", 96, 8, "wide bomber"},
        {"Scarab.bmp", 96, 8, "armoured gunship"},
        {"Saucer.bmp", 96, 8, "spinning disc wanderer"},
        {"Turret.bmp", 96, 16, "turret: frame 0 idle, frames 1 to 15 one firing cycle"},
        {"Leader.bmp", 112, 8, "formation leader"},
        {"Carrier.bmp", 128, 8, "carrier that launches drones"},
        {"Cruiser.bmp", 160, 8, "heavy cruiser, mini boss"},
        {"Dreadnought.bmp", 256, 8, "boss: armoured battleship"},
        {"Hive.bmp", 256, 8, "boss: living hive ship"},
        {"Escort.bmp", 80, 8, "formation escort with a gold collar"},
        {"Mite.bmp", 48, 8, "hive spawn, small twitching beetle"},
        {"Lancer.bmp", 64, 8, "needle fighter with a homing lance"},
        {"Bastion.bmp", 112, 16, "heavy turret: frame 0 idle, frames 1 to 15 one firing cycle"},
        {"Warden.bmp", 128, 8, "command ship, leader of the later formations"},
        {"Outrider.bmp", 64, 8, "the warden's split-tail wing fighter"},
        {"Spore.bmp", 64, 8, "seed pod that bursts into a ring of shots"},
        {"Wraith.bmp", 96, 8, "crescent bomber with three gun ports"},
        {"Stinger.bmp", 64, 8, "barbed gunship with a glowing tail"},
    };
    return looks;
}

const std::vector<std::string>& LevelNames() {
    static const std::vector<std::string> names = {
        "Outer Rim",     "Cinder Belt",   "Glass Nebula",  "Iron Moons",        "Drift Yards",
        "Ember Gate",    "Hollow Star",   "Frost Reach",   "Veil of Thorns",    "Shattered Crown",
        "Abyssal Tide",  "Quorvel Deep",  "Silent Armada", "Heart of the Hive", "Velmora Prime",
    };
    return names;
}

const std::vector<ButtonWord>& ButtonWords() {
    static const std::vector<ButtonWord> words = {
        {"StartGame", "start game"}, {"TopRanks", "top ranks"}, {"Options", "options"},
        {"Help", "help"},            {"Credits", "credits"},    {"Exit", "exit"},
        {"Back", "back"},            {"Resume", "resume"},      {"Apply", "apply"},
        {"Cancel", "cancel"},        {"Ok", "ok"},              {"Delete", "delete"},
        {"Next", "next"},
    };
    return words;
}

static std::vector<AssetSpec> build() {
    std::vector<AssetSpec> m;
    auto jpg = [&](const std::string& p, int w, int h, int fw = 0, int fh = 0, int n = 0) {
        m.push_back({p, AssetKind::Jpeg, w, h, fw, fh, n, false});
    };
    auto bmp = [&](const std::string& p, int w, int h, bool alpha, int fw = 0, int fh = 0,
                   int n = 0) { m.push_back({p, AssetKind::Bmp, w, h, fw, fh, n, alpha}); };
    auto mesh = [&](const std::string& p) { m.push_back({p, AssetKind::Mesh}); };

    // Interface: loading, logos, cursor, font.
    const std::string ui = "Data\\Textures\\InterFace\\";
    jpg(ui + "LoadingBg.jpg", 1024, 768);
    jpg(ui + "LoadingWindow.jpg", 651, 490);
    jpg(ui + "CutSceneBg1.jpg", 1024, 768);
    jpg(ui + "Tessik.jpg", 1024, 768);
    jpg(ui + "QuorvelWorks.jpg", 1024, 768);
    jpg(ui + "partner.jpg", 1024, 768);
    bmp(ui + "CursorImage.bmp", 32, 32, true);
    bmp(ui + "font.bmp", kFontCell * kFontColumns, kFontCell * kFontColumns, true, kFontCell,
        kFontCell, kFontGlyphs);

    // Head-up display and statistics.
    const std::string game = ui + "game\\";
    bmp(game + "ArmorAndHealth.bmp", 122, 115, true);
    bmp(game + "ScoresAndLevel.bmp", 600, 70, true);
    bmp(game + "Rockets.bmp", 166, 68, true);
    bmp(game + "Lifes.bmp", 120, 40, true);
    bmp(game + "StatisticsPanel.bmp", 560, 516, true);
    jpg(game + "gom.jpg", 512, 256);

    // Shop.
    const std::string shop = ui + "shop\\";
    jpg(shop + "ShopBg.jpg", 1024, 768);
    for (const char* icon : {"ShopBonusIcon1", "ShopBonusIcon1_2", "ShopBonusIcon1_3", "ShopBonusIcon2",
                             "ShopBonusIcon3", "ShopBonusIcon4", "ShopBonusIcon5", "ShopBonusIcon6"})
        bmp(shop + icon + ".bmp", 64, 64, true);
    bmp(shop + "ShopMinus.bmp", 128, 64, true);
    bmp(shop + "ShopPlus.bmp", 128, 64, true);
    bmp(shop + "Choose.bmp", 256, 64, true);
    bmp(shop + "Continue.bmp", 256, 64, true);
    bmp(shop + "Exit.bmp", 256, 64, true);
    bmp(shop + "SkinsBg.bmp", 256, 256, true);
    bmp(shop + "Empty.bmp", 64, 64, true);
    bmp(shop + "Filled.bmp", 64, 64, true);

    // Pause screen.
    jpg(ui + "pause\\Message.jpg", 512, 160);
    jpg(ui + "pause\\Noise1.jpg", 256, 256);

    // Main menu and its dialogs.
    const std::string mm = ui + "main\\";
    jpg(mm + "logotip.jpg", 512, 512);
    jpg(mm + "up.jpg", 1024, 128);
    jpg(mm + "down.jpg", 1024, 128);
    for (const ButtonWord& b : ButtonWords()) {
        jpg(mm + b.stem + ".jpg", 512, 152);
        jpg(mm + b.stem + "_lighted.jpg", 512, 152);
    }
    jpg(mm + "ChooseLevelBg.jpg", 1024, 490);
    jpg(mm + "OptionsBg.jpg", 1024, 490);
    jpg(mm + "HelpBg.jpg", 1024, 490);
    jpg(mm + "HD_Page1.jpg", 1024, 424);
    jpg(mm + "Mark.jpg", 512, 64);
    for (int i = 1; i <= 4; ++i) jpg(ui + "bg\\menu" + std::to_string(i) + ".jpg", 1024, 1024);

    // Player ship textures.
    for (int i = 1; i <= kSkinCount; ++i)
        jpg("Data\\Textures\\Player\\Skin\\Skin" + std::to_string(i) + ".jpg", 512, 512);
    jpg("Data\\Textures\\Player\\Reflection.jpg", 256, 256);

    // Effects: explosion sheets (16 frames of 240 by 180, four a row) and the warp overlay.
    for (int i = 1; i <= 3; ++i)
        jpg("Data\\Textures\\Fx\\exp" + std::to_string(i) + ".jpg", 960, 720, 240, 180, 16);
    jpg("Data\\Textures\\Fx\\CanvasFx1.jpg", 512, 512);

    // Player weapons.
    const std::string wp = "Data\\Textures\\Weapons\\";
    bmp(wp + "PlayerClip1.bmp", 32, 96, true);
    bmp(wp + "PlayerClip2.bmp", 64, 64, true);
    bmp(wp + "PlayerClip3.bmp", 64, 64, true);
    for (int i = 1; i <= 3; ++i) bmp(wp + "PlayerRocket" + std::to_string(i) + ".bmp", 48, 128, true);
    bmp(wp + "PlayerShootFx.bmp", 128, 128, true);
    bmp(wp + "PlayerClipExplosionParticle.bmp", 32, 32, true);
    bmp(wp + "PlayerShield.bmp", 128, 128, true);

    // Enemies: status markers, health bar, shots and the looks (sheets, four frames a row).
    const std::string en = "Data\\Textures\\Enemies\\";
    jpg(en + "EnemyRedStatus.jpg", 64, 64);
    jpg(en + "EnemyGreenStatus.jpg", 64, 64);
    jpg(en + "EnemyBlueStatus.jpg", 64, 64);
    bmp(en + "IndicatorFill2.bmp", 128, 16, true);
    bmp(en + "IndicatorRamka1.bmp", 128, 24, true);
    for (int i = 1; i <= 6; ++i) bmp(en + "EnemyClip" + std::to_string(i) + ".bmp", 32, 32, true);
    for (const EnemyLook& e : EnemyLooks()) {
        int cols = 4, rows = (e.frames + cols - 1) / cols;
        bmp(en + e.name, e.frameSize * cols, e.frameSize * rows, true, e.frameSize, e.frameSize,
            e.frames);
    }

    // Bonuses: capsules (11 frames of 50 by 50 in one row) and their icons.
    for (int k = 1; k <= 12; ++k) {
        bmp("Data\\Textures\\Bonuses\\bonus" + std::to_string(k) + ".bmp", 550, 50, true, 50, 50, 11);
        bmp("Data\\Textures\\Bonuses\\bonus" + std::to_string(k) + "border.bmp", 50, 50, true);
    }

    // Scenery: space backdrops, cloud and layer planes, planets, auras, layer sprites.
    for (int i = 1; i <= 5; ++i) jpg("Data\\Textures\\Sky\\Space" + std::to_string(i) + ".jpg", 1024, 1024);
    for (int i = 1; i <= 4; ++i) jpg("Data\\Textures\\Sky\\Clouds" + std::to_string(i) + ".jpg", 512, 512);
    for (int i = 1; i <= 2; ++i) jpg("Data\\Textures\\Sky\\Layer" + std::to_string(i) + ".jpg", 512, 512);
    for (int i = 1; i <= 5; ++i)
        jpg("Data\\Textures\\Planets\\Planet" + std::to_string(i) + ".jpg", 512, 256);
    for (int i = 1; i <= 2; ++i) jpg("Data\\Textures\\Planets\\Aura" + std::to_string(i) + ".jpg", 256, 256);
    for (int i = 1; i <= 4; ++i)
        bmp("Data\\Textures\\Layer\\Asteroid" + std::to_string(i) + ".bmp", 128, 128, true);
    bmp("Data\\Textures\\Layer\\Debris1.bmp", 128, 128, true);
    jpg("Data\\Textures\\Layer\\Glow1.jpg", 256, 256);
    jpg("Data\\Textures\\Levels\\Ridge.jpg", 512, 512);
    jpg("Data\\Textures\\Levels\\Hull.jpg", 512, 512);
    jpg("Data\\Textures\\Levels\\Hive\\Ridge.jpg", 512, 512);

    // Level logos and cut-scene pictures.
    for (int i = 1; i <= kLevelLogoCount; ++i)
        jpg("Data\\Textures\\Logos\\Level" + std::to_string(i) + ".jpg", 512, 264);
    for (int i = 1; i <= 8; ++i)
        jpg("Data\\Textures\\CutScenes\\Scene" + std::to_string(i) + ".jpg", 512, 384);

    // Meshes.
    mesh("Data\\Models\\Player\\1Player4.3DS");
    for (int i = 0; i <= 12; ++i) mesh("Data\\Models\\Player\\pw" + std::to_string(i) + ".3ds");
    for (int i = 0; i <= 8; ++i) mesh("Data\\Models\\Player\\abv" + std::to_string(i) + ".3ds");
    mesh("Data\\Models\\Levels\\Ridge.3ds");
    mesh("Data\\Models\\Levels\\Hull.3ds");
    return m;
}

const std::vector<AssetSpec>& Manifest() {
    static const std::vector<AssetSpec> m = build();
    return m;
}

const AssetSpec* FindAsset(const std::string& gamePath) {
    for (const AssetSpec& a : Manifest())
        if (a.path == gamePath) return &a;
    return nullptr;
}

std::string DiskPath(const std::string& gamePath) {
    std::string p = gamePath;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

}  // namespace vlm::forge
