#pragma once

#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <vector>

// The clips the decoder is checked on, made once: FFmpeg's moving test pattern at
// 320×240, 24 frames a second, 10 s.
struct MediaClips {
    QTemporaryDir folder;
    QString everyTwoSeconds; // H.264, a key frame every 2 s, no B-frames
    QString withBFrames;     // H.264, B-frames, a key frame every 2.5 s
    QString transport;       // the one with B-frames in MPEG-TS, which keeps no index
    QString soundOnly;
};
const MediaClips& mediaClips();

// The build's ffmpeg's frame at `time` (the first at or after it, as -ss before
// -i gives it), scaled to `size` as ffmpeg scales, with square pixels.
QImage ffmpegFrame(const QString& video, std::chrono::microseconds time, QSize size);

// The peak signal-to-noise ratio of two pictures' colours, in dB; 0 when
// their sizes differ, 100 when they are the same.
double psnr(const QImage& one, const QImage& other);

// The key frames' times as ffprobe finds them by decoding, from the file's start.
std::vector<std::chrono::microseconds> ffprobeKeyFrames(const QString& video);
