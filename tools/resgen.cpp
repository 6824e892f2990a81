// Turns the text pixel art in ART_DIR into the binary files that windres
// compiles in: app.ico, hand.cur and rows.bmp in OUT_DIR.
//
//   resgen ART_DIR OUT_DIR
//
// An art file is one line per pixel row, one character per pixel; lines that
// start with ';' are comments. The characters are the standard 16-colour
// palette, lower case being the dark half of the upper-case colour:
//   k black   r dark red   g dark green   y olive   b navy   m purple
//   c teal    w silver     K grey         R red     G lime   Y yellow
//   B blue    M magenta    C cyan         W white
// and '.' for a transparent pixel, allowed only where the file has a mask.
// Malformed art stops the build with a message: a wrong picture compiled in
// silently would only show up on screen.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgb {
    std::uint8_t red, green, blue;
};

const char paletteChars[] = "krgybmcwKRGYBMCW";
const Rgb palette[16] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
const int black = 0;
const int white = 15;
const int transparent = -1;

// The hand's hot spot: just inside the tip of the index finger.
const int hotSpotX = 6;
const int hotSpotY = 2;

// Palette indexes (or transparent), top row first.
struct Art {
    std::string path;
    int width = 0;
    int height = 0;
    std::vector<int> pixels;

    int at(int x, int y) const { return pixels[y * width + x]; }
};

bool fail(const std::string& message) {
    std::fprintf(stderr, "resgen: %s\n", message.c_str());
    return false;
}

int colourIndex(char c) {
    if (c == '.') return transparent;
    for (int i = 0; i < 16; ++i)
        if (paletteChars[i] == c) return i;
    return -2;
}

bool readArt(const std::string& path, int width, int height, bool masked, Art& art) {
    std::ifstream in(path);
    if (!in) return fail(path + ": cannot open");
    art = Art{path, width, height, {}};
    std::string line;
    int row = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == ';') continue;
        std::string where = path + ": pixel row " + std::to_string(row + 1);
        if (row == height) return fail(where + ": more than " + std::to_string(height) + " rows");
        if (static_cast<int>(line.size()) != width)
            return fail(where + ": " + std::to_string(line.size()) + " pixels, expected " +
                        std::to_string(width));
        for (char c : line) {
            int index = colourIndex(c);
            if (index == -2) return fail(where + ": unknown pixel '" + std::string(1, c) + "'");
            if (index == transparent && !masked)
                return fail(where + ": '.' (transparent) in a picture without a mask");
            art.pixels.push_back(index);
        }
        ++row;
    }
    if (row != height)
        return fail(path + ": " + std::to_string(row) + " pixel rows, expected " +
                    std::to_string(height));
    return true;
}

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void put32(Bytes& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// Device-independent bitmaps store rows bottom-up, each padded to 4 bytes.
int rowBytes(int width, int bitCount) { return (width * bitCount + 31) / 32 * 4; }

template <typename PixelValue>
void putRows(Bytes& out, const Art& art, int bitCount, PixelValue value) {
    for (int y = art.height - 1; y >= 0; --y) {
        Bytes row(rowBytes(art.width, bitCount), 0);
        for (int x = 0; x < art.width; ++x) {
            int bit = x * bitCount;
            int shift = 8 - bitCount - bit % 8;
            row[bit / 8] |= static_cast<std::uint8_t>(value(art.at(x, y)) << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

void putInfoHeader(Bytes& out, int width, int height, int bitCount, int colours,
                   std::uint32_t imageSize) {
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, bitCount);
    put32(out, 0);  // uncompressed
    put32(out, imageSize);
    put32(out, 0);
    put32(out, 0);
    put32(out, colours);
    put32(out, 0);
}

void putPalette(Bytes& out, const Rgb* colours, int count) {
    for (int i = 0; i < count; ++i) {
        out.push_back(colours[i].blue);
        out.push_back(colours[i].green);
        out.push_back(colours[i].red);
        out.push_back(0);
    }
}

// One image of an icon or cursor: header (its height counts the colour bits
// and the mask), palette, colour bits, then the AND mask that is set where
// the pixel is transparent. Transparent pixels are black in the colour bits
// so that the screen shows through unchanged.
template <typename PixelValue>
Bytes maskedImage(const Art& art, int bitCount, const Rgb* colours, PixelValue value) {
    int colourCount = 1 << bitCount;
    std::uint32_t imageSize = (rowBytes(art.width, bitCount) + rowBytes(art.width, 1)) * art.height;
    Bytes out;
    putInfoHeader(out, art.width, art.height * 2, bitCount, colourCount, imageSize);
    putPalette(out, colours, colourCount);
    putRows(out, art, bitCount, [&](int p) { return p == transparent ? 0 : value(p); });
    putRows(out, art, 1, [](int p) { return p == transparent ? 1 : 0; });
    return out;
}

struct Entry {
    const Art* art;
    Bytes image;
};

// The directory shared by .ico (type 1) and .cur (type 2) files. For a cursor
// the planes and bit-count fields hold the hot spot instead.
Bytes iconFile(int type, const std::vector<Entry>& entries, int colourCount, int field1, int field2) {
    Bytes out;
    put16(out, 0);
    put16(out, type);
    put16(out, static_cast<unsigned>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const Entry& e : entries) {
        out.push_back(static_cast<std::uint8_t>(e.art->width));
        out.push_back(static_cast<std::uint8_t>(e.art->height));
        out.push_back(static_cast<std::uint8_t>(colourCount));
        out.push_back(0);
        put16(out, field1);
        put16(out, field2);
        put32(out, static_cast<std::uint32_t>(e.image.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(e.image.size());
    }
    for (const Entry& e : entries) out.insert(out.end(), e.image.begin(), e.image.end());
    return out;
}

Bytes appIcon(const Art& large, const Art& small) {
    auto index = [](int p) { return p; };
    std::vector<Entry> entries{{&large, maskedImage(large, 4, palette, index)},
                               {&small, maskedImage(small, 4, palette, index)}};
    return iconFile(1, entries, 16, 1, 4);
}

bool checkHand(const Art& hand) {
    for (int p : hand.pixels)
        if (p != black && p != white && p != transparent)
            return fail(hand.path + ": a monochrome cursor takes only k, W and '.'");
    if (hand.at(hotSpotX, hotSpotY) == transparent)
        return fail(hand.path + ": the hot spot lies on a transparent pixel");
    return true;
}

Bytes handCursor(const Art& hand) {
    const Rgb mono[2] = {palette[black], palette[white]};
    std::vector<Entry> entries{
        {&hand, maskedImage(hand, 1, mono, [](int p) { return p == white ? 1 : 0; })}};
    return iconFile(2, entries, 2, hotSpotX, hotSpotY);
}

// The image list masks out the colour of the top-left pixel, so that pixel
// must be the white background.
bool checkRows(const Art& rows) {
    if (rows.at(0, 0) != white) return fail(rows.path + ": the top-left pixel must be white (W)");
    return true;
}

Bytes rowsBitmap(const Art& rows) {
    const std::uint32_t headers = 14 + 40 + 16 * 4;
    const std::uint32_t imageSize = rowBytes(rows.width, 4) * rows.height;
    Bytes out{'B', 'M'};
    put32(out, headers + imageSize);
    put32(out, 0);
    put32(out, headers);
    putInfoHeader(out, rows.width, rows.height, 4, 16, imageSize);
    putPalette(out, palette, 16);
    putRows(out, rows, 4, [](int p) { return p; });
    return out;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) return fail(path + ": cannot write");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: resgen ART_DIR OUT_DIR\n");
        return 2;
    }
    const std::string art = std::string(argv[1]) + "/";
    const std::string out = std::string(argv[2]) + "/";
    Art icon32, icon16, hand, rows;
    bool ok = readArt(art + "icon32.txt", 32, 32, true, icon32) &&
              readArt(art + "icon16.txt", 16, 16, true, icon16) &&
              readArt(art + "hand.txt", 32, 32, true, hand) && checkHand(hand) &&
              readArt(art + "rows.txt", 48, 16, false, rows) && checkRows(rows) &&
              writeFile(out + "app.ico", appIcon(icon32, icon16)) &&
              writeFile(out + "hand.cur", handCursor(hand)) &&
              writeFile(out + "rows.bmp", rowsBitmap(rows));
    return ok ? 0 : 1;
}
