#include "Review.h"

#include "data/Archive.h"
#include "data/Errors.h"
#include "data/FileIo.h"
#include "scene/Image.h"
#include "scene/SceneTypes.h"
#include "sound/AudioEngine.h"
#include "sound/WaveFile.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <system_error>

namespace vlm::tool {

namespace fs = std::filesystem;
using namespace vlm::data;

namespace {

// ---------------------------------------------------------------------------------------
// The sheet's look: the game's deep-space navy, cyan lines and light-steel lettering.

struct Rgb {
    double r, g, b;
};
constexpr Rgb Hex(unsigned v)
{
    return {((v >> 16) & 0xff) / 255.0, ((v >> 8) & 0xff) / 255.0, (v & 0xff) / 255.0};
}
constexpr Rgb kSpaceTop = Hex(0x03050c);
constexpr Rgb kSpaceBottom = Hex(0x0a1024);
constexpr Rgb kPanel = Hex(0x0c1430);
constexpr Rgb kPanelEdge = Hex(0x2a3a5c);
constexpr Rgb kCyan = Hex(0x38d6f0);
constexpr Rgb kEmber = Hex(0xff7a2f);
constexpr Rgb kSteel = Hex(0xc8d4e6);
constexpr Rgb kDim = Hex(0x7d8aa6);
constexpr Rgb kCheckA = Hex(0x141c36);
constexpr Rgb kCheckB = Hex(0x1b2546);
constexpr Rgb kAlarm = Hex(0xff3b3b);

constexpr int kColumns = 8;
constexpr int kThumbW = 200;   // the box a picture is fitted into, aspect kept
constexpr int kThumbH = 150;
constexpr int kCellW = 216;
constexpr int kCellH = 196;    // thumbnail, name and size
constexpr int kMargin = 28;
constexpr int kPanelPad = 14;
constexpr int kTitleH = 84;
constexpr int kFolderHeadH = 34;
constexpr int kPanelGap = 22;
constexpr int kSheetW = kMargin * 2 + kPanelPad * 2 + kColumns * kCellW;

void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

// DejaVu through FreeType; the FreeType face lives as long as Cairo keeps the font face.
class Fonts {
public:
    Fonts()
    {
        if (FT_Init_FreeType(&library_) != 0)
            throw DataError("FreeType does not start");
        regular_ = Load("DejaVuSans.ttf");
        bold_ = Load("DejaVuSans-Bold.ttf");
    }
    ~Fonts()
    {
        if (regular_)
            cairo_font_face_destroy(regular_);
        if (bold_)
            cairo_font_face_destroy(bold_);
        // Cairo may still cache the faces; FreeType's library goes with the process.
    }
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    void Use(cairo_t* cr, bool bold, double size) const
    {
        cairo_set_font_face(cr, bold ? bold_ : regular_);
        cairo_set_font_size(cr, size);
    }

private:
    cairo_font_face_t* Load(const char* file)
    {
        const std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + file;
        FT_Face face = nullptr;
        if (FT_New_Face(library_, path.c_str(), 0, &face) != 0)
            throw DataError("Cannot load the font " + path + " (install the Debian package fonts-dejavu-core)");
        cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
        static const cairo_user_data_key_t key{};
        if (cairo_font_face_set_user_data(cairoFace, &key, face, [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); }) !=
            CAIRO_STATUS_SUCCESS) {
            cairo_font_face_destroy(cairoFace);
            FT_Done_Face(face);
            throw DataError("Cannot use the font " + path);
        }
        return cairoFace;
    }

    FT_Library library_ = nullptr;
    cairo_font_face_t* regular_ = nullptr;
    cairo_font_face_t* bold_ = nullptr;
};

double TextWidth(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    return ext.x_advance;
}

// The text cut with "..." to fit `width`, whole when it fits.
std::string Fit(cairo_t* cr, const std::string& text, double width)
{
    if (TextWidth(cr, text) <= width)
        return text;
    std::string cut = text;
    while (!cut.empty() && TextWidth(cr, cut + "...") > width)
        cut.pop_back();
    return cut + "...";
}

void CentredText(cairo_t* cr, const std::string& text, double centreX, double baseline)
{
    cairo_move_to(cr, std::round(centreX - TextWidth(cr, text) / 2), baseline);
    cairo_show_text(cr, text.c_str());
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsPicture(const std::string& name)
{
    const std::string lower = Lower(name);
    return lower.ends_with(".jpg") || lower.ends_with(".jpeg") || lower.ends_with(".bmp");
}

std::string FolderOf(const std::string& name)
{
    const size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

std::string LeafOf(const std::string& name)
{
    const size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// A decoded picture as a Cairo surface (premultiplied ARGB).
SurfacePtr ToSurface(const scene::TRGBAImage& image)
{
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.Width, image.Height),
                       cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw DataError("Cannot make a " + std::to_string(image.Width) + " by " + std::to_string(image.Height) +
                        " picture");
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < image.Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* p = image.Pixel(x, y);
            const uint32_t a = p[3];
            const uint32_t r = p[0] * a / 255, g = p[1] * a / 255, b = p[2] * a / 255;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

bool HasTransparency(const scene::TRGBAImage& image)
{
    for (size_t i = 3; i < image.Pixels.size(); i += 4)
        if (image.Pixels[i] != 255)
            return true;
    return false;
}

struct Cell {
    SheetItem item;
    scene::TRGBAImage image;  // empty when the entry did not decode
    std::string problem;
};

struct Group {
    std::string folder;
    std::vector<Cell> cells;
    int Rows() const { return int((cells.size() + kColumns - 1) / kColumns); }
    int Height() const { return kFolderHeadH + Rows() * kCellH + kPanelPad; }
};

void DrawBackground(cairo_t* cr, int height)
{
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(sky, 0, kSpaceTop.r, kSpaceTop.g, kSpaceTop.b);
    cairo_pattern_add_color_stop_rgb(sky, 1, kSpaceBottom.r, kSpaceBottom.g, kSpaceBottom.b);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
}

void DrawTitle(cairo_t* cr, const Fonts& fonts, const std::string& archiveName, size_t pictures, size_t folders)
{
    fonts.Use(cr, true, 26);
    SetColour(cr, kSteel);
    cairo_move_to(cr, kMargin, kMargin + 26);
    cairo_show_text(cr, "VELMORA 2  -  CONTENT SHEET");
    fonts.Use(cr, false, 13);
    SetColour(cr, kDim);
    cairo_move_to(cr, kMargin, kMargin + 48);
    const std::string line = archiveName + "   " + std::to_string(pictures) + " pictures in " +
                             std::to_string(folders) + (folders == 1 ? " folder" : " folders") +
                             "   (checkerboard: transparent pixels)";
    cairo_show_text(cr, line.c_str());
    SetColour(cr, kEmber);
    cairo_rectangle(cr, kMargin, kMargin + 58, 120, 2);
    cairo_fill(cr);
}

void DrawChecker(cairo_t* cr, double x, double y, double w, double h)
{
    constexpr double kSquare = 8;
    SetColour(cr, kCheckA);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    SetColour(cr, kCheckB);
    for (double cy = 0; cy < h; cy += kSquare)
        for (double cx = (int(cy / kSquare) % 2) * kSquare; cx < w; cx += 2 * kSquare)
            cairo_rectangle(cr, x + cx, y + cy, std::min(kSquare, w - cx), std::min(kSquare, h - cy));
    cairo_fill(cr);
}

void DrawCell(cairo_t* cr, const Fonts& fonts, const Cell& cell, double x, double y)
{
    const double boxX = x + (kCellW - kThumbW) / 2.0, boxY = y + 6;
    if (cell.image.Empty()) {
        SetColour(cr, kAlarm, 0.18);
        cairo_rectangle(cr, boxX, boxY, kThumbW, kThumbH);
        cairo_fill(cr);
        SetColour(cr, kAlarm);
        cairo_set_line_width(cr, 2);
        cairo_rectangle(cr, boxX + 1, boxY + 1, kThumbW - 2, kThumbH - 2);
        cairo_stroke(cr);
        fonts.Use(cr, true, 13);
        CentredText(cr, "DOES NOT DECODE", boxX + kThumbW / 2.0, boxY + kThumbH / 2.0 + 4);
    } else {
        const scene::TRGBAImage& image = cell.image;
        const double scale = std::min({double(kThumbW) / image.Width, double(kThumbH) / image.Height, 1.0});
        const double w = std::max(1.0, std::round(image.Width * scale));
        const double h = std::max(1.0, std::round(image.Height * scale));
        // Pictures stand on the line above their names.
        const double px = std::round(boxX + (kThumbW - w) / 2), py = boxY + kThumbH - h;
        if (HasTransparency(image))
            DrawChecker(cr, px, py, w, h);
        SurfacePtr surface = ToSurface(image);
        cairo_save(cr);
        cairo_rectangle(cr, px, py, w, h);
        cairo_clip(cr);
        cairo_translate(cr, px, py);
        cairo_scale(cr, w / image.Width, h / image.Height);
        cairo_set_source_surface(cr, surface.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        SetColour(cr, kPanelEdge);
        cairo_set_line_width(cr, 1);
        cairo_rectangle(cr, px - 0.5, py - 0.5, w + 1, h + 1);
        cairo_stroke(cr);
    }
    fonts.Use(cr, true, 11.5);
    SetColour(cr, cell.image.Empty() ? kAlarm : kSteel);
    const double centre = x + kCellW / 2.0;
    CentredText(cr, Fit(cr, LeafOf(cell.item.name), kCellW - 8), centre, boxY + kThumbH + 17);
    fonts.Use(cr, false, 10.5);
    SetColour(cr, kDim);
    const std::string size = cell.image.Empty()
                                 ? std::string("damaged")
                                 : std::to_string(cell.item.width) + " x " + std::to_string(cell.item.height);
    CentredText(cr, size, centre, boxY + kThumbH + 32);
}

void DrawGroup(cairo_t* cr, const Fonts& fonts, const Group& group, double top)
{
    const double x = kMargin, w = kSheetW - 2 * kMargin, h = group.Height();
    SetColour(cr, kPanel, 0.92);
    cairo_rectangle(cr, x, top, w, h);
    cairo_fill(cr);
    // Steel bevel: light along the top, dark along the bottom, a thin cyan inner line.
    SetColour(cr, kPanelEdge);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, x + 0.5, top + 0.5, w - 1, h - 1);
    cairo_stroke(cr);
    SetColour(cr, kCyan, 0.35);
    cairo_move_to(cr, x + kPanelPad, top + kFolderHeadH - 6.5);
    cairo_line_to(cr, x + w - kPanelPad, top + kFolderHeadH - 6.5);
    cairo_stroke(cr);
    // Cyan corner marks.
    SetColour(cr, kCyan);
    cairo_set_line_width(cr, 2);
    for (int corner = 0; corner < 4; ++corner) {
        const double cx = corner % 2 ? x + w - 2 : x + 2, cy = corner / 2 ? top + h - 2 : top + 2;
        const double dx = corner % 2 ? -12 : 12, dy = corner / 2 ? -12 : 12;
        cairo_move_to(cr, cx + dx, cy);
        cairo_line_to(cr, cx, cy);
        cairo_line_to(cr, cx, cy + dy);
    }
    cairo_stroke(cr);

    std::string heading = group.folder.empty() ? std::string("(top)") : group.folder;
    std::replace(heading.begin(), heading.end(), '/', '\\');
    fonts.Use(cr, true, 15);
    SetColour(cr, kCyan);
    cairo_move_to(cr, x + kPanelPad, top + 22);
    cairo_show_text(cr, heading.c_str());
    fonts.Use(cr, false, 12);
    SetColour(cr, kDim);
    const std::string count = std::to_string(group.cells.size()) + (group.cells.size() == 1 ? " picture" : " pictures");
    cairo_move_to(cr, x + w - kPanelPad - TextWidth(cr, count), top + 22);
    cairo_show_text(cr, count.c_str());

    for (size_t i = 0; i < group.cells.size(); ++i) {
        const double cx = x + kPanelPad + double(i % kColumns) * kCellW;
        const double cy = top + kFolderHeadH + double(i / kColumns) * kCellH;
        DrawCell(cr, fonts, group.cells[i], cx, cy);
    }
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* bytes = static_cast<std::string*>(closure);
    bytes->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// ---------------------------------------------------------------------------------------
// Audio

std::string TwoDigits(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

void WriteWave(const fs::path& file, const sound::Wave& wave)
{
    const std::vector<uint8_t> bytes = sound::EncodeWave16(wave);
    WriteFileAtomically(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                        file.string());
}

void MakeFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        throw DataError("Cannot create " + folder.string() + ": " + ec.message());
}

// A safe file name for a bank entry ("sound/click.wav" -> "click.wav"); "" when none.
std::string WaveFileName(const std::string& entry)
{
    const std::string leaf = LeafOf(entry);
    if (leaf.empty() || leaf == "." || leaf == ".." || !Lower(leaf).ends_with(".wav"))
        return {};
    return leaf;
}

} // namespace

std::vector<SheetItem> WriteContactSheet(const fs::path& archivePath, const fs::path& png, std::ostream& out,
                                         std::ostream& err)
{
    const Archive archive = Archive::Open(archivePath);
    std::map<std::string, Group> groups;  // sorted by folder
    size_t pictures = 0, broken = 0;
    for (size_t i = 0; i < archive.Entries().size(); ++i) {
        const Archive::Entry& entry = archive.Entries()[i];
        if (!IsPicture(entry.name))
            continue;
        Cell cell;
        cell.item.name = entry.name;
        cell.item.folder = FolderOf(entry.name);
        try {
            cell.image = scene::DecodeImage(archive.ReadEntry(i), entry.name);
            cell.item.width = cell.image.Width;
            cell.item.height = cell.image.Height;
        } catch (const std::exception& e) {
            cell.problem = e.what();
            err << "vlm2tool: " << archive.DisplayName() << ": " << e.what() << "\n";
            ++broken;
        }
        Group& group = groups[cell.item.folder];
        group.folder = cell.item.folder;
        group.cells.push_back(std::move(cell));
        ++pictures;
    }
    if (pictures == 0)
        throw DataError(archive.DisplayName() + " holds no JPEG or BMP pictures");
    for (auto& [folder, group] : groups)
        std::sort(group.cells.begin(), group.cells.end(),
                  [](const Cell& a, const Cell& b) { return Lower(a.item.name) < Lower(b.item.name); });

    int height = kMargin + kTitleH;
    for (const auto& [folder, group] : groups)
        height += group.Height() + kPanelGap;
    height += kMargin - kPanelGap;
    if (height > 32767)
        throw DataError(archive.DisplayName() + " has too many pictures for one sheet (" +
                        std::to_string(pictures) + ")");

    SurfacePtr sheet(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSheetW, height), cairo_surface_destroy);
    if (cairo_surface_status(sheet.get()) != CAIRO_STATUS_SUCCESS)
        throw DataError("Cannot make a sheet of " + std::to_string(kSheetW) + " by " + std::to_string(height));
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(sheet.get()), cairo_destroy);
    const Fonts fonts;
    DrawBackground(cr.get(), height);
    DrawTitle(cr.get(), fonts, LeafOf(archivePath.string()), pictures, groups.size());

    std::vector<SheetItem> drawn;
    double top = kMargin + kTitleH;
    for (const auto& [folder, group] : groups) {
        DrawGroup(cr.get(), fonts, group, top);
        top += group.Height() + kPanelGap;
        for (const Cell& cell : group.cells)
            drawn.push_back(cell.item);
    }
    cairo_surface_flush(sheet.get());

    std::string bytes;
    if (cairo_surface_write_to_png_stream(sheet.get(), AppendBytes, &bytes) != CAIRO_STATUS_SUCCESS)
        throw DataError("Cannot encode the sheet as PNG");
    WriteFileAtomically(png, bytes, png.string());
    out << "drew " << pictures << " pictures in " << groups.size() << " folders into " << png.string() << " ("
        << kSheetW << " by " << height << ")";
    if (broken)
        out << "; " << broken << " did not decode";
    out << "\n";
    return drawn;
}

std::vector<RenderedAudio> RenderAudio(const fs::path& archivePath, const fs::path& outDir, std::ostream& out,
                                       std::ostream& err)
{
    const Archive archive = Archive::Open(archivePath);
    const std::string bankName = "sound\\snd.tor", musicName = "sound\\main.mo3";
    if (!archive.Contains(bankName))
        throw DataError(archive.DisplayName() + " has no " + bankName);
    if (!archive.Contains(musicName))
        throw DataError(archive.DisplayName() + " has no " + musicName);

    std::vector<RenderedAudio> written;

    // The effects: every wave of the bank, decoded as the game decodes it.
    const Archive bank = Archive::FromBytes(archive.Read(bankName), bankName);
    const fs::path effects = outDir / "effects";
    MakeFolder(effects);
    std::set<std::string> used;
    for (size_t i = 0; i < bank.Entries().size(); ++i) {
        const std::string& entry = bank.Entries()[i].name;
        const std::string file = WaveFileName(entry);
        if (file.empty())
            continue;
        if (!used.insert(Lower(file)).second) {
            err << "vlm2tool: " << bankName << ": \"" << entry << "\" repeats an earlier name; left out\n";
            continue;
        }
        sound::Wave wave;
        std::string problem;
        if (!sound::DecodeWave(bank.ReadEntry(i), wave, problem)) {
            err << "vlm2tool: " << bankName << ": \"" << entry << "\" does not decode: " << problem << "\n";
            continue;
        }
        WriteWave(effects / file, wave);
        written.push_back({effects / file, double(wave.Frames()) / wave.sampleRate, -1, false});
    }

    // The music: each tune through the game's own engine, from its first order until the
    // module jumps back to an order the tune has already played.
    sound::AudioEngine engine;
    std::string musicProblem;
    engine.SetMessageHandler([&musicProblem](sound::AudioMessageKind, std::string_view, std::string_view text) {
        musicProblem = std::string(text);
    });
    const std::vector<uint8_t> module = archive.Read(musicName);
    if (!engine.LoadMusic(module, musicName))
        throw DataError(musicName + " does not play: " + musicProblem);
    const fs::path music = outDir / "music";
    MakeFolder(music);

    constexpr size_t kStep = 32;  // frames between looks at the order: under a millisecond
    const size_t maxFrames = size_t(kMaxTuneSeconds * sound::kOutputRate);
    std::vector<float> block(kStep * 2);
    std::set<int> covered;
    for (int first = 0; first < engine.MusicOrderCount(); ++first) {
        if (covered.count(first))
            continue;
        engine.SetMusicOrder(first);
        engine.SetMusicVolume(100);
        engine.Render(block.data(), 0);  // full volume from the first frame
        std::set<int> visited = {first};
        sound::Wave tune;
        tune.channels = 2;
        tune.sampleRate = sound::kOutputRate;
        bool loopedBack = false;
        int current = first;
        while (tune.samples.size() / 2 < maxFrames) {
            engine.Render(block.data(), kStep);
            const int order = engine.MusicOrder();
            if (order != current && visited.count(order)) {
                // This block already holds the start of the next pass; leaving it out (under a
                // millisecond of the tune's faded end) keeps the file one pass, seamless on a loop.
                loopedBack = true;
                break;
            }
            tune.samples.insert(tune.samples.end(), block.begin(), block.end());
            if (order != current) {
                visited.insert(order);
                current = order;
            }
        }
        covered.insert(visited.begin(), visited.end());
        if (!loopedBack)
            err << "vlm2tool: " << musicName << ": the tune at order " << first << " did not come back within "
                << kMaxTuneSeconds << " s; written up to there\n";
        const fs::path file = music / ("tune" + TwoDigits(first) + ".wav");
        WriteWave(file, tune);
        const double seconds = double(tune.Frames()) / tune.sampleRate;
        written.push_back({file, seconds, first, loopedBack});
        std::string orders;
        for (int o : visited)
            orders += (orders.empty() ? "" : " ") + std::to_string(o);
        char length[32];
        std::snprintf(length, sizeof length, "%.2f s", seconds);
        out << file.filename().string() << "\torders " << orders << "\t" << length << "\n";
    }
    size_t effectCount = 0;
    for (const RenderedAudio& r : written)
        effectCount += r.firstOrder < 0;
    out << "wrote " << effectCount << " effects and " << written.size() - effectCount << " tunes into "
        << outDir.string() << "\n";
    return written;
}

} // namespace vlm::tool
