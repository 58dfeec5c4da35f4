// A polyline the converter writes as one stroked path is written as paths of a few segments,
// so that no single drawing call of the SVG renderer runs long, and the paths draw what the
// one path drew.
#include "Surface.h"

#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/SvgStrokeSplitting.h"
#include "tests/support/SvgDrawing.h"
#include "tests/support/WidePenMetafiles.h"

#include <gtest/gtest.h>

#include <QXmlStreamReader>

namespace {

// The `d` of each path element of `svg`.
std::vector<QString> PathData(const std::string& svg) {
    std::vector<QString> out;
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"path") {
            out.push_back(xml.attributes().value("d").toString());
        }
    }
    EXPECT_FALSE(xml.hasError());
    return out;
}

QImage Rendered(const std::string& svg, int size) {
    return SvgDrawn(svg, size, size, QImage::Format_RGB32, Qt::white);
}

// A drawing of one path with the attributes `attributes`.
std::string OnePath(const std::string& d, const std::string& attributes) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">\n<path d=\"" +
           d + "\" " + attributes + " />\n</svg>\n";
}

// The pixels where one picture shows the page and the other the pen. Edges are smoothed, and
// where two pieces overlap a smoothed edge is drawn twice, darker: pixels of an edge in either
// do not count.
int Apart(const QImage& a, const QImage& b, QRgb pen) {
    auto page = [](QRgb p) { return qRed(p) >= 230 && qGreen(p) >= 230 && qBlue(p) >= 230; };
    auto inked = [&](QRgb p) {
        return std::abs(qRed(p) - qRed(pen)) + std::abs(qGreen(p) - qGreen(pen)) +
                   std::abs(qBlue(p) - qBlue(pen)) <=
               40;
    };
    int apart = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            apart += (page(p) && inked(q)) || (inked(p) && page(q));
        }
    }
    return apart;
}

} // namespace

TEST(SvgStrokeSplitting, AWidePolylineIsConvertedIntoPathsOfAFewSegments) {
    // The 8 KB polyline: one path of 1,999 segments from the converter.
    const std::string svg = ConvertWithinBounds(wide_pen::Emf(2000, 100), 1024, 1024);
    const std::vector<QString> paths = PathData(svg);
    ASSERT_GT(paths.size(), 2000u / 8);
    for (const QString& d : paths) {
        EXPECT_LE(d.count(u'L') + d.count(u'C'), 8) << d.toStdString();
    }
}

TEST(SvgStrokeSplitting, PiecesDrawTheCapsJoinsAndClosesOfTheWholePath) {
    // A star of 12 points, open or closed, with each cap and join.
    std::string open = "M 50,5";
    for (int i = 1; i <= 11; ++i) {
        const double angle = i * 3.14159265358979 * 10 / 12;
        open += " L " + std::to_string(50 + 45 * std::sin(angle)) + "," +
                std::to_string(50 - 45 * std::cos(angle));
    }
    for (const std::string& d : {open, open + " Z", open + " L 50,5"}) {
        for (const char* cap : {"butt", "round", "square"}) {
            for (const char* join : {"miter", "round", "bevel"}) {
                SCOPED_TRACE(d + " " + cap + " " + join);
                const std::string one = OnePath(
                    d, std::string("stroke=\"#CC2222\" stroke-width=\"7\" stroke-linecap=\"") +
                           cap + "\" stroke-linejoin=\"" + join + "\" fill=\"none\"");
                const std::string split = SvgWithStrokesSplit(one);
                EXPECT_GT(PathData(split).size(), 2u);
                const QImage drawn = Rendered(split, 200);
                EXPECT_EQ(Apart(drawn, Rendered(one, 200), qRgb(0xCC, 0x22, 0x22)), 0);
                // Nor is the whole pen at each end missing.
                EXPECT_NE(drawn, Rendered(OnePath("M 0,0", ""), 200));
            }
        }
    }
}

TEST(SvgStrokeSplitting, FilledDashedOrShortPathsAndTextStayAsTheyAre) {
    std::string d = "M 0,0";
    for (int i = 1; i <= 20; ++i) {
        d += " L " + std::to_string(i * 5) + "," + std::to_string(i % 2 * 90);
    }
    for (const std::string& attributes :
         {std::string("stroke=\"#000000\" stroke-width=\"3\" fill=\"#FF0000\""),
          std::string("stroke=\"#000000\" stroke-width=\"3\" stroke-dasharray=\"4,2\" "
                      "fill=\"none\""),
          std::string("stroke=\"none\" fill=\"none\"")}) {
        const std::string svg = OnePath(d, attributes);
        EXPECT_EQ(SvgWithStrokesSplit(svg), svg) << attributes;
    }
    const std::string shortPath =
        OnePath("M 0,0 L 5,5 L 9,0 L 20,20", "stroke=\"#000\" fill=\"none\"");
    EXPECT_EQ(SvgWithStrokesSplit(shortPath), shortPath);
    // Text that reads like a path is text.
    const std::string text = "<svg><text><![CDATA[<path d=\"" + d +
                             "\" stroke=\"#000\" fill=\"none\" />]]></text></svg>";
    EXPECT_EQ(SvgWithStrokesSplit(text), text);
}
