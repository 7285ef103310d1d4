#include "FrameScaler.h"

extern "C" {
#include <libavutil/display.h>
}

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

bool turnedSideways(int clockwise)
{
    return clockwise == 90 || clockwise == 270;
}

} // namespace

void FrameScaler::setDisplay(AVRational aspect, int turn)
{
    sampleAspect = aspect.num > 0 && aspect.den > 0 ? aspect : AVRational{1, 1};
    clockwise = turn;
}

QSize FrameScaler::shownSize(int width, int height, QSize box) const
{
    double shownWidth = width * av_q2d(sampleAspect);
    double shownHeight = height;
    if (turnedSideways(clockwise))
        std::swap(shownWidth, shownHeight);
    const double factor = std::min(box.width() / shownWidth, box.height() / shownHeight);
    return {std::max(1, static_cast<int>(std::lround(shownWidth * factor))),
            std::max(1, static_cast<int>(std::lround(shownHeight * factor)))};
}

// The colours as the frame says they were made: its matrix and its range.
SwsContext* FrameScaler::scalerFor(const AVFrame& frame, QSize size)
{
    scaler.reset(sws_getCachedContext(
        scaler.release(), frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
        size.width(), size.height(), AV_PIX_FMT_RGB32, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler)
        return nullptr;
    const int space = frame.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : frame.colorspace;
    int* table = nullptr;
    int* destinationTable = nullptr;
    int sourceRange = 0;
    int destinationRange = 0;
    int brightness = 0;
    int contrast = 0;
    int saturation = 0;
    if (sws_getColorspaceDetails(scaler.get(), &table, &sourceRange, &destinationTable,
                                 &destinationRange, &brightness, &contrast, &saturation) >= 0) {
        sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(space),
                                 frame.color_range == AVCOL_RANGE_JPEG ? 1 : sourceRange,
                                 destinationTable, destinationRange, brightness, contrast,
                                 saturation);
    }
    return scaler.get();
}

QImage FrameScaler::scale(const AVFrame& frame, QSize box)
{
    if (frame.width <= 0 || frame.height <= 0 || box.isEmpty())
        return {};
    QSize size = shownSize(frame.width, frame.height, box);
    if (turnedSideways(clockwise))
        size.transpose();
    SwsContext* context = scalerFor(frame, size);
    if (context == nullptr)
        return {};
    QImage picture(size, QImage::Format_RGB32);
    uint8_t* const lines[4] = {picture.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(picture.bytesPerLine()), 0, 0, 0};
    if (sws_scale(context, frame.data, frame.linesize, 0, frame.height, lines, strides) <= 0)
        return {};
    if (clockwise != 0)
        picture = picture.transformed(QTransform().rotate(clockwise));
    return picture;
}

int clockwiseTurnOf(const AVStream& stream)
{
    const auto* matrix = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (matrix == nullptr)
        return 0;
    const double turn = -std::round(av_display_rotation_get(matrix));
    if (std::isnan(turn))
        return 0;
    const int degrees = (static_cast<int>(turn) % 360 + 360) % 360;
    return degrees % 90 == 0 ? degrees : 0;
}
