#include "BitmapFile.h"

#include "platform/UiServices.h"
#include "platform/SaveFile.h"

#include <QImage>

#include <cstring>
#include <limits>
#include <new>

namespace {

void Complain(QWidget *owner, const char *text)
{
    platform::Ui().MessageBox(QString::fromLatin1(text), QString(), MB_OK | MB_ICONHAND, owner);
}

void PutWord(QByteArray &out, std::uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void PutDword(QByteArray &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint64_t RowBytes(std::uint64_t width, int bits)
{
    return ((width * static_cast<std::uint64_t>(bits) + 31) & ~std::uint64_t(31)) / 8;
}

// The picture's rows in the header's format, bottom row first, with the colour table for the
// indexed depths. False when the picture cannot be given in that format.
bool FetchRows(const QImage &bitmap, BITMAPINFO &info, char *buffer, std::uint64_t rowBytes)
{
    const BITMAPINFOHEADER &h = info.bmiHeader;
    const int width = h.biWidth;
    const int height = h.biHeight;
    if (width <= 0 || height <= 0 || bitmap.width() != width || bitmap.height() != height)
        return false;
    const int bits = h.biBitCount;
    QImage img;
    switch (bits) {
    case 32: img = bitmap.convertToFormat(QImage::Format_RGB32); break;
    case 24: img = bitmap.convertToFormat(QImage::Format_BGR888); break;
    case 16: img = bitmap.convertToFormat(QImage::Format_RGB555); break;
    case 8:
    case 4:
    case 1:
        img = bitmap.format() == QImage::Format_Indexed8 ? bitmap
              : bits == 1 ? bitmap.convertToFormat(QImage::Format_Mono).convertToFormat(QImage::Format_Indexed8)
                          : bitmap.convertToFormat(QImage::Format_Indexed8);
        if (img.colorCount() > (1 << bits))
            return false;
        break;
    default: return false;
    }
    if (img.isNull())
        return false;

    if (bits <= 8) {
        const QList<QRgb> table = img.colorTable();
        for (qsizetype i = 0; i < table.size() && i < static_cast<qsizetype>(info.bmiColors.size()); ++i) {
            RGBQUAD &q = info.bmiColors[static_cast<size_t>(i)];
            q.rgbRed = static_cast<BYTE>(qRed(table[i]));
            q.rgbGreen = static_cast<BYTE>(qGreen(table[i]));
            q.rgbBlue = static_cast<BYTE>(qBlue(table[i]));
            q.rgbReserved = 0;
        }
    }

    for (int y = 0; y < height; ++y) {
        char *dst = buffer + static_cast<std::uint64_t>(height - 1 - y) * rowBytes;
        std::memset(dst, 0, rowBytes);
        const uchar *src = img.constScanLine(y);
        if (bits == 32) {
            for (int x = 0; x < width; ++x) {
                std::memcpy(dst + 4 * x, src + 4 * x, 3);  // blue, green, red; the fourth byte stays 0
            }
        } else if (bits == 24 || bits == 16) {
            std::memcpy(dst, src, static_cast<size_t>(width) * static_cast<size_t>(bits / 8));
        } else {
            const int perByte = 8 / bits;
            for (int x = 0; x < width; ++x) {
                const int shift = bits * (perByte - 1 - x % perByte);
                dst[x / perByte] = static_cast<char>(static_cast<uchar>(dst[x / perByte]) | (src[x] << shift));
            }
        }
    }
    return true;
}

}

int RoundBitCount(int planesTimesBits)
{
    if (planesTimesBits <= 1)
        return 1;
    if (planesTimesBits <= 4)
        return 4;
    if (planesTimesBits <= 8)
        return 8;
    if (planesTimesBits <= 16)
        return 16;
    if (planesTimesBits <= 24)
        return 24;
    return 32;
}

std::unique_ptr<BITMAPINFO> BuildBitmapInfo(const QImage &bitmap, QWidget *owner)
{
    if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0 || bitmap.depth() <= 0) {
        Complain(owner, "Unable to retrieve colour format, width and height of bitmap");
        return nullptr;
    }
    const int bits = RoundBitCount(bitmap.depth());  // a picture in memory has one plane
    auto info = std::make_unique<BITMAPINFO>();
    BITMAPINFOHEADER &h = info->bmiHeader;
    h.biSize = 40;
    h.biWidth = bitmap.width();
    h.biHeight = bitmap.height();
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = BI_RGB;
    const std::uint64_t size = RowBytes(static_cast<std::uint64_t>(h.biWidth), bits) * static_cast<std::uint64_t>(h.biHeight);
    h.biSizeImage = size > std::numeric_limits<DWORD>::max() ? 0 : static_cast<DWORD>(size);
    h.biClrImportant = 0;
    if (bits < 24) {
        h.biClrUsed = DWORD(1) << bits;
        info->bmiColors.resize(h.biClrUsed);
    }
    return info;
}

void SaveBitmapToBmpFile(const QString &path, QWidget *owner, BITMAPINFO *info, const QImage &bitmap)
{
    if (!info)
        return;
    BITMAPINFOHEADER &h = info->bmiHeader;
    const int bits = h.biBitCount;
    const std::uint64_t rowBytes = RowBytes(static_cast<std::uint64_t>(std::max<LONG>(h.biWidth, 0)), bits);
    const std::uint64_t image = rowBytes * static_cast<std::uint64_t>(std::max<LONG>(h.biHeight, 0));
    // A header whose image size disagrees with its width, height and depth would make the file
    // lie about its own layout.
    if (image == 0 || image != h.biSizeImage || info->bmiColors.size() != h.biClrUsed) {
        Complain(owner, "Unable to retrieve colour table when saving bitmap");
        return;
    }

    std::unique_ptr<char[]> buffer;
    try {
        buffer.reset(new char[image]);
    } catch (const std::bad_alloc &) {
        Complain(owner, "Unable to allocate memory for saving bitmap");
        return;
    }
    if (!FetchRows(bitmap, *info, buffer.get(), rowBytes)) {
        Complain(owner, "Unable to retrieve colour table when saving bitmap");
        return;
    }

    platform::SaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        Complain(owner, "Unable to open the file when saving bitmap");
        return;
    }
    const std::uint32_t tableBytes = 4 * h.biClrUsed;
    const std::uint32_t offset = 14 + 40 + tableBytes;

    QByteArray head;
    head.append("BM", 2);
    PutDword(head, static_cast<std::uint32_t>(offset + image));
    PutWord(head, 0);
    PutWord(head, 0);
    PutDword(head, offset);
    if (file.write(head) != head.size()) {
        file.cancelWriting();
        Complain(owner, "Unable to write file header when saving bitmap");
        return;
    }

    QByteArray infoBytes;
    infoBytes.reserve(static_cast<qsizetype>(40 + tableBytes));
    PutDword(infoBytes, h.biSize);
    PutDword(infoBytes, static_cast<std::uint32_t>(h.biWidth));
    PutDword(infoBytes, static_cast<std::uint32_t>(h.biHeight));
    PutWord(infoBytes, h.biPlanes);
    PutWord(infoBytes, h.biBitCount);
    PutDword(infoBytes, h.biCompression);
    PutDword(infoBytes, h.biSizeImage);
    PutDword(infoBytes, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    PutDword(infoBytes, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    PutDword(infoBytes, h.biClrUsed);
    PutDword(infoBytes, h.biClrImportant);
    for (const RGBQUAD &q : info->bmiColors) {
        infoBytes.append(static_cast<char>(q.rgbBlue));
        infoBytes.append(static_cast<char>(q.rgbGreen));
        infoBytes.append(static_cast<char>(q.rgbRed));
        infoBytes.append(static_cast<char>(q.rgbReserved));
    }
    if (file.write(infoBytes) != infoBytes.size()) {
        file.cancelWriting();
        Complain(owner, "Unable to write bitmap info");
        return;
    }

    if (file.write(buffer.get(), static_cast<qint64>(image)) != static_cast<qint64>(image)) {
        file.cancelWriting();
        Complain(owner, "Unable to write colour indices when saving bitmap");
        return;
    }
    if (!file.commit())
        Complain(owner, "Unable to close file handle when saving bitmap");
}
