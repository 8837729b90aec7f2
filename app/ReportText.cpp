#include "app/ReportText.h"

#include <QRegularExpression>
#include <QString>
#include <QStringDecoder>
#include <sstream>

namespace ReportText {
namespace {

// How much of a file without a byte order mark is looked at to tell UTF-16:
// its first eight characters, markup or a title in plain ASCII in a report,
// before any character beyond Latin-1 would put a byte on both sides.
constexpr size_t ProbeLength = 16;

struct Encoding {
    std::optional<QStringConverter::Encoding> utf16;
    size_t bomLength = 0;
};

// True when the bytes at offset, offset + 2, ... of the probed start are all
// zero while the other half holds something.
bool OneSideZero(const std::string& bytes, size_t length, size_t zeroSide)
{
    bool otherHoldsText = false;
    for (size_t i = 0; i < length; ++i) {
        if (i % 2 == zeroSide) {
            if (bytes[i] != '\0')
                return false;
        } else if (bytes[i] != '\0') {
            otherHoldsText = true;
        }
    }
    return otherHoldsText;
}

Encoding Detect(const std::string& bytes)
{
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return {QStringConverter::Utf16LE, 2};
    if (bytes.compare(0, 2, "\xFE\xFF") == 0)
        return {QStringConverter::Utf16BE, 2};
    const size_t length = std::min(bytes.size(), ProbeLength) & ~size_t(1);
    if (length < 2)
        return {};
    if (OneSideZero(bytes, length, 1))
        return {QStringConverter::Utf16LE, 0};
    if (OneSideZero(bytes, length, 0))
        return {QStringConverter::Utf16BE, 0};
    return {};
}

// The head ends at "</head" or, when a page has none, at "<body"; a text with
// neither is all head.
qsizetype HeadEnd(const QString& text)
{
    for (const char* mark : {"</head", "<body"}) {
        const qsizetype at = text.indexOf(QLatin1String(mark), 0, Qt::CaseInsensitive);
        if (at >= 0)
            return at;
    }
    return text.size();
}

// The page is UTF-8 now; a charset still naming UTF-16 would make the browser
// read it wrong. Both <meta charset=...> and the http-equiv content type are
// meta tags naming charset=.
QString DeclareUtf8(const QString& text)
{
    static const QRegularExpression charset(QStringLiteral(R"((<meta\b[^>]*?\bcharset\s*=\s*["']?)([^\s"'/>;]+))"),
                                            QRegularExpression::CaseInsensitiveOption);
    const qsizetype headEnd = HeadEnd(text);
    QString head = text.left(headEnd);
    head.replace(charset, QStringLiteral("\\1utf-8"));
    return head + text.mid(headEnd);
}

std::string FromUtf16(const std::string& bytes, const Encoding& encoding)
{
    // Stateless: an odd byte at the end shows as a replacement character
    // instead of vanishing.
    QStringDecoder decoder(*encoding.utf16, QStringConverter::Flag::Stateless);
    const QByteArrayView body(bytes.data() + encoding.bomLength,
                              static_cast<qsizetype>(bytes.size() - encoding.bomLength));
    return DeclareUtf8(decoder.decode(body)).toStdString();
}

// A line break may be CR LF or LF; the report keeps one line feed per line,
// and a last line without a break gets one too.
std::string OneLineFeedPerLine(const std::string& text)
{
    std::istringstream stream(text);
    std::string lines;
    std::string line;
    while (std::getline(stream, line)) {
        const bool endedByLineFeed = !stream.eof();
        if (endedByLineFeed && !line.empty() && line.back() == '\r')
            line.pop_back();
        lines += line;
        lines += '\n';
    }
    return lines;
}

}  // namespace

std::optional<std::string> FromFileBytes(std::string bytes)
{
    const Encoding encoding = Detect(bytes);
    std::string text = encoding.utf16 ? FromUtf16(bytes, encoding) : std::move(bytes);
    if (text.find('\0') != std::string::npos)
        return std::nullopt;
    return OneLineFeedPerLine(text);
}

}  // namespace ReportText
