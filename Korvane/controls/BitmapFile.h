#pragma once
// Writing a picture the program has drawn in memory as a Windows BMP file (uncompressed,
// rows from the bottom up). The trace view and the curve chart save their pictures this way:
// first the header from the picture, then the file.
#include "platform/WinTypes.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QImage;
class QWidget;

using LONG = std::int32_t;

struct BITMAPINFOHEADER
{
    DWORD biSize = 0;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 0;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

struct RGBQUAD
{
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};

constexpr DWORD BI_RGB = 0;

// The info header with room for its colour table (biClrUsed entries, filled on saving).
struct BITMAPINFO
{
    BITMAPINFOHEADER bmiHeader;
    std::vector<RGBQUAD> bmiColors;
};

// The colour depth a file gets for planes x bits per pixel: 1, 4, 8, 16, 24 or 32.
int RoundBitCount(int planesTimesBits);

// The header for the picture, or none (after telling the user over the owner) when the
// picture has no size or format. The caller owns the result.
std::unique_ptr<BITMAPINFO> BuildBitmapInfo(const QImage &bitmap, QWidget *owner);
inline std::unique_ptr<BITMAPINFO> CreateBitmapInfo(const QImage &bitmap, QWidget *owner)
{
    return BuildBitmapInfo(bitmap, owner);
}

// Writes the picture in the header's format to the path. Each failure is told to the user in
// a box over the owner and ends the save; a file that was there before stays as it was (the
// new one is written beside it and renamed over it only when complete).
void SaveBitmapToBmpFile(const QString &path, QWidget *owner, BITMAPINFO *info, const QImage &bitmap);
