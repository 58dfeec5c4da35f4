#include "platform/graphics/MetafileSvg.h"

#include "platform/base/BoundedChild.h"
#include "platform/graphics/LittleEndian.h"

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {

// Neither player is known to be safe on two threads at once.
std::mutex& PlayerMutex() {
    static std::mutex mutex;
    return mutex;
}

// One libwmf session over a copy of the bytes (the library wants them writable).
class TWmfSession {
public:
    explicit TWmfSession(std::string_view bytes) : data_(bytes) {
        wmfAPI_Options options{};
        options.function = wmf_svg_function;
        const unsigned long flags =
            WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
        if (wmf_api_create(&api_, flags, &options) != wmf_E_None) {
            return;
        }
        open_ = wmf_mem_open(api_, reinterpret_cast<unsigned char*>(data_.data()),
                             static_cast<long>(data_.size())) == wmf_E_None;
    }
    ~TWmfSession() {
        if (api_) {
            if (open_) {
                wmf_mem_close(api_);
            }
            wmf_api_destroy(api_);
        }
    }
    TWmfSession(const TWmfSession&) = delete;
    TWmfSession& operator=(const TWmfSession&) = delete;

    wmfAPI* Api() const { return open_ ? api_ : nullptr; }

private:
    std::string data_;
    wmfAPI* api_ = nullptr;
    bool open_ = false;
};

void SetBox(wmfD_Rect& box, int32_t left, int32_t top, int32_t right, int32_t bottom,
            double scale) {
    box.TL.x = static_cast<float>(std::min(left, right) * scale);
    box.TL.y = static_cast<float>(std::min(top, bottom) * scale);
    box.BR.x = static_cast<float>(std::max(left, right) * scale);
    box.BR.y = static_cast<float>(std::max(top, bottom) * scale);
}

std::string WmfToSvg(std::string_view bytes, const TMetafileLayout& layout, int width, int height) {
    // A metafile that sets its own window fills that window, whatever frame a placeable
    // header gives (documents written elsewhere give the frame in hundredths of a
    // millimetre): the records are played without the header, in their own units. The
    // header's frame only sizes the picture.
    const bool ownWindow = layout.HasWindow;
    TWmfSession session(ownWindow && layout.Placeable ? bytes.substr(layout.HeaderSize) : bytes);
    wmfAPI* api = session.Api();
    wmfD_Rect box{};
    if (!api || wmf_scan(api, 0, &box) != wmf_E_None) {
        return {};
    }
    // The whole frame is the picture, not just the part that is drawn on. A placeable
    // metafile's frame is played in points.
    if (ownWindow) {
        SetBox(box, layout.WindowLeft, layout.WindowTop, layout.WindowRight, layout.WindowBottom,
               1.0);
    } else if (layout.HasFrame) {
        SetBox(box, layout.Left, layout.Top, layout.Right, layout.Bottom,
               layout.Placeable ? 72.0 / layout.Inch : 1.0);
    }
    if (!(box.BR.x > box.TL.x) || !(box.BR.y > box.TL.y)) {
        return {};
    }
    wmf_svg_t* svg = WMF_SVG_GetData(api);
    svg->out = wmf_stream_create(api, nullptr);
    if (!svg->out) {
        return {};
    }
    svg->bbox = box;
    svg->width = static_cast<unsigned>(width);
    svg->height = static_cast<unsigned>(height);
    svg->flags |= WMF_SVG_INLINE_IMAGES;
    const wmf_error_t played = wmf_play(api, 0, &box);
    char* text = nullptr;
    unsigned long length = 0;
    // The text belongs to the session and goes with it.
    wmf_stream_destroy(api, svg->out, &text, &length);
    svg->out = nullptr;
    if (played != wmf_E_None || !text) {
        return {};
    }
    return std::string(text, length);
}

std::string EmfToSvg(std::string_view bytes, int width, int height) {
    std::string data(bytes);
    // A description of no characters is no description: the player would read its text at
    // the offset given all the same, up to whatever ends it.
    if (data.size() >= 68 && ReadU32(data, 60) == 0) {
        data.replace(64, 4, 4, '\0');
    }
    generatorOptions options{};
    options.nameSpace = nullptr;
    options.verbose = false;
    // The records every player understands; the EMF+ records beside them repeat the picture.
    options.emfplus = false;
    options.svgDelimiter = true;
    options.imgWidth = width;
    options.imgHeight = height;
    char* out = nullptr;
    size_t length = 0;
    const int done = emf2svg(data.data(), data.size(), &out, &length, &options);
    std::string svg = done == 1 && out ? std::string(out, length) : std::string();
    std::free(out);
    return svg;
}

} // namespace

std::string MetafileToSvg(std::string_view bytes, const TMetafileLayout& layout, int width,
                          int height) {
    // A bounded child has no other thread that could play at the same time, and the lock may
    // have been held, when it was forked, by a thread it does not have.
    std::unique_lock lock(PlayerMutex(), std::defer_lock);
    if (!InBoundedChild()) {
        lock.lock();
    }
    return layout.Enhanced ? EmfToSvg(bytes, width, height)
                           : WmfToSvg(bytes, layout, width, height);
}

bool WmfDrawingBox(std::string_view bytes, int32_t& left, int32_t& top, int32_t& right,
                   int32_t& bottom) {
    std::lock_guard lock(PlayerMutex());
    TWmfSession session(bytes);
    wmfD_Rect box{};
    if (!session.Api() || wmf_scan(session.Api(), 0, &box) != wmf_E_None) {
        return false;
    }
    if (!(box.BR.x > box.TL.x) || !(box.BR.y > box.TL.y) || std::fabs(box.TL.x) > 32767 ||
        std::fabs(box.TL.y) > 32767 || std::fabs(box.BR.x) > 32767 || std::fabs(box.BR.y) > 32767) {
        return false;
    }
    left = static_cast<int32_t>(std::floor(box.TL.x));
    top = static_cast<int32_t>(std::floor(box.TL.y));
    right = static_cast<int32_t>(std::ceil(box.BR.x));
    bottom = static_cast<int32_t>(std::ceil(box.BR.y));
    return true;
}
