#pragma once

// RTF as word processors write it, built by hand, with real pictures in it.

#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/JPEGImage.h"

#include <QBuffer>
#include <QImage>

#include <string>

inline std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// A 4 x 3 picture in two colours.
inline QImage FixtureImage() {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(200, 30, 30));
    image.setPixel(1, 1, qRgb(10, 20, 240));
    return image;
}

inline std::string FixturePng() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    FixtureImage().save(&buffer, "PNG");
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// A Windows metafile of its header and the end record only.
inline std::string FixtureWmf() {
    const unsigned char bytes[] = {1, 0, 9, 0, 0, 3, 12, 0, 0, 0, 0, 0,
                                   3, 0, 0, 0, 0, 0, 3,  0, 0, 0, 0, 0};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// Header, tables, skipped destinations, Unicode with its replacement, a field, raw bytes.
inline std::string FixtureText() {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033"
           "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f5\\froman\\fcharset0 Times New "
           "Roman;}}\r\n"
           "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
           "{\\stylesheet{\\s0 Normal;}{\\s1\\sbasedon0\\snext0 heading 1;}}\r\n"
           "{\\*\\generator Riched20 10.0.19041}{\\*\\listtable{\\list\\listtemplateid1"
           "{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}}}\\viewkind4\\uc1\r\n"
           "\\pard\\sa200\\sl276\\slmult1\\f0\\fs20 Caf\\'e9 {\\b bold} end\\par\r\n"
           "{\\*\\unknowndest ignored {\\pict\\pngblip 00}}"
           "\\pard\\qc\\cf1\\b\\fs40 Big{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt  "
           "link}}\\par\r\n"
           "\\pard\\plain\\f0\\fs20 a\\bin3 xyz b\\uc2\\u8364\\'80\\'80!\\line next\\par\r\n"
           "}";
}

// The picture forms: PNG, JPEG, a Windows metafile, a bitmap, and the two-picture form.
inline std::string FixturePictures() {
    std::string dib = EncodeDib(FixtureImage());
    return "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Arial;}}\\f0\\fs20 "
           "{\\pict\\pngblip\\picw4\\pich3 " +
           ToHex(FixturePng()) +
           "}"
           "{\\pict\\jpegblip\\picw4\\pich3\r\n" +
           ToHex(EncodeJpeg(FixtureImage(), 90)) +
           "}\\par "
           "{\\pict\\wmetafile8\\picw2540\\pich1270 " +
           ToHex(FixtureWmf()) +
           "}"
           "{\\pict\\dibitmap0\\wbmwidthbytes12\\picw4\\pich3 " +
           ToHex(dib) +
           "}\\par "
           "{\\*\\shppict{\\pict\\pngblip " +
           ToHex(FixturePng()) + "}}{\\nonshppict{\\pict\\wmetafile8\\picw100\\pich100 " +
           ToHex(FixtureWmf()) + "}}}";
}
