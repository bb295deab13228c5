#include "viewer/JpegDecoder.h"

#include "viewer/thumbs/ExifThumbnail.h"

#include <QColorSpace>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace viewer {

namespace {

    // A progressive picture states its scans one after another; real ones use about ten. Far
    // more only makes the decoder run through the picture again and again.
    constexpr int kMostScans = 1000;
    // Rows handed to the codec per call.
    constexpr int kRowsPerRead = 16;

    struct Failure {
        jpeg_error_mgr manager {};
        std::jmp_buf jump {};
        bool endSeen = false;
        bool tooManyScans = false;
        char message[JMSG_LENGTH_MAX] = {};
    };

    Failure &failureOf(j_common_ptr codec)
    {
        return *reinterpret_cast<Failure *>(codec->err);
    }

    // libjpeg's own handler ends the process; this one jumps back to decodeInto.
    [[noreturn]] void stop(j_common_ptr codec)
    {
        Failure &failure = failureOf(codec);
        (*codec->err->format_message)(codec, failure.message);
        std::longjmp(failure.jump, 1);
    }

    // Warnings are not printed, and most leave the picture as the codec makes it. Running out of
    // data is noted: the codec then reads on as if the data ended there, which is harmless when
    // only the end marker is missing. A scan that needs bits past the end of its data would be
    // completed in grey: the picture stops there instead.
    void warn(j_common_ptr codec, int level)
    {
        if (level >= 0)
            return;
        if (codec->err->msg_code == JWRN_JPEG_EOF)
            failureOf(codec).endSeen = true;
        else if (codec->err->msg_code == JWRN_HIT_MARKER)
            stop(codec);
    }

    void quiet(j_common_ptr) { }

    void countScans(j_common_ptr codec)
    {
        if (reinterpret_cast<j_decompress_ptr>(codec)->input_scan_number > kMostScans) {
            Failure &failure = failureOf(codec);
            failure.tooManyScans = true;
            std::longjmp(failure.jump, 1);
        }
    }

    // The orientation its Exif block states for the picture, 1 when there is none.
    int exifOrientation(const jpeg_saved_marker_ptr markers)
    {
        for (jpeg_saved_marker_ptr marker = markers; marker; marker = marker->next) {
            if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6
                && std::memcmp(marker->data, "Exif\0\0", 6) == 0)
                return thumbs::exifOrientation(QByteArrayView(
                    reinterpret_cast<const char *>(marker->data) + 6, qsizetype(marker->data_length) - 6));
        }
        return 1;
    }

    // The codec's state and what it found, kept by decodeJpeg across a failure's jump.
    struct Work {
        jpeg_decompress_struct codec {};
        bool created = false;
        Failure failure;
        jpeg_progress_mgr progress {};
        QImage picture;
        JDIMENSION width = 0;
        JDIMENSION height = 0;
        JOCTET *profile = nullptr;
        unsigned int profileLength = 0;
        int densityUnit = 0;
        int xDensity = 0;
        int yDensity = 0;
        std::array<JSAMPROW, kRowsPerRead> rows {};

        Work() = default;
        Work(const Work &) = delete;
        Work &operator=(const Work &) = delete;
        ~Work()
        {
            std::free(profile);
            if (created)
                jpeg_destroy_decompress(&codec);
        }
    };

    // The codec's scale in eighths that decodes a picture of width x height at least as large as
    // atLeast: the smallest, and never above the stated size.
    unsigned int eighthsFor(JDIMENSION width, JDIMENSION height, QSize atLeast)
    {
        if (!atLeast.isValid() || atLeast.isEmpty())
            return 8;
        for (unsigned int eighths = 1; eighths < 8; ++eighths) {
            // The codec rounds a scaled side up.
            const auto scaled = [eighths](JDIMENSION side) {
                return (qint64(side) * eighths + 7) / 8;
            };
            if (scaled(width) >= atLeast.width() && scaled(height) >= atLeast.height())
                return eighths;
        }
        return 8;
    }

    // Runs the codec over the bytes into work.picture. Everything the codec touches lives in work,
    // which outlives the jump back here from a failure, and no object with a destructor is alive
    // in this frame when the codec is called.
    JpegDecoded::Status decodeInto(Work &work, QByteArrayView bytes, qint64 maxPixels, QSize atLeast)
    {
        jpeg_decompress_struct &codec = work.codec;
        codec.err = jpeg_std_error(&work.failure.manager);
        work.failure.manager.error_exit = stop;
        work.failure.manager.emit_message = warn;
        work.failure.manager.output_message = quiet;
        if (setjmp(work.failure.jump))
            return JpegDecoded::Status::Corrupt;
        jpeg_create_decompress(&codec);
        work.created = true;
        work.progress.progress_monitor = countScans;
        codec.progress = &work.progress;
        jpeg_mem_src(
            &codec, reinterpret_cast<const unsigned char *>(bytes.data()), static_cast<unsigned long>(bytes.size()));
        jpeg_save_markers(&codec, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(&codec, JPEG_APP0 + 2, 0xFFFF);
        jpeg_read_header(&codec, TRUE);

        work.width = codec.image_width;
        work.height = codec.image_height;
        if (qint64(codec.image_width) * codec.image_height > maxPixels)
            return JpegDecoded::Status::TooLarge;
        const bool colours =
            codec.num_components == 3 && (codec.jpeg_color_space == JCS_YCbCr || codec.jpeg_color_space == JCS_RGB);
        const bool grey = codec.num_components == 1 && codec.jpeg_color_space == JCS_GRAYSCALE;
        const int orientation = exifOrientation(codec.marker_list);
        if ((!colours && !grey) || (orientation >= 2 && orientation <= 8))
            return JpegDecoded::Status::Passed;

        codec.scale_num = eighthsFor(codec.image_width, codec.image_height, atLeast);
        codec.scale_denom = 8;
        codec.out_color_space = JCS_RGB;
        codec.dct_method = JDCT_ISLOW;
        codec.do_fancy_upsampling = TRUE;
        jpeg_start_decompress(&codec);
        work.picture = QImage(int(codec.output_width), int(codec.output_height), QImage::Format_RGB888);
        if (work.picture.isNull())
            return JpegDecoded::Status::TooLarge;
        while (codec.output_scanline < codec.output_height) {
            const JDIMENSION first = codec.output_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(kRowsPerRead, codec.output_height - first);
            for (JDIMENSION i = 0; i < count; ++i)
                work.rows[i] = work.picture.scanLine(int(first + i));
            jpeg_read_scanlines(&codec, work.rows.data(), count);
        }
        if (!jpeg_read_icc_profile(&codec, &work.profile, &work.profileLength)) {
            work.profile = nullptr;
            work.profileLength = 0;
        }
        work.densityUnit = codec.density_unit;
        work.xDensity = codec.X_density;
        work.yDensity = codec.Y_density;
        // Every row is in: what may follow the picture's data, even a missing end marker, does not
        // matter, so the codec is not asked to read on (the destructor releases it).
        return JpegDecoded::Status::Decoded;
    }

}

JpegDecoded decodeJpeg(QByteArrayView bytes, qint64 maxPixels, QSize atLeast)
{
    JpegDecoded result;
    if (bytes.size() < 3 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xD8
        || static_cast<unsigned char>(bytes[2]) != 0xFF)
        return result;

    Work work;
    result.status = decodeInto(work, bytes, maxPixels, atLeast);
    switch (result.status) {
    case JpegDecoded::Status::Decoded:
        break;
    case JpegDecoded::Status::Corrupt:
        if (work.failure.endSeen)
            result.error = QStringLiteral("the picture's data ends before the picture does");
        else if (work.failure.tooManyScans)
            result.error = QStringLiteral("more than %1 scans").arg(kMostScans);
        else
            result.error = QString::fromLocal8Bit(work.failure.message);
        return result;
    case JpegDecoded::Status::TooLarge:
        result.error = work.picture.isNull() && qint64(work.width) * work.height <= maxPixels
            ? QStringLiteral("no memory for %1 x %2 pixels").arg(work.width).arg(work.height)
            : QStringLiteral("%1 x %2 pixels is more than the %3 allowed")
                  .arg(work.width)
                  .arg(work.height)
                  .arg(maxPixels);
        return result;
    default:
        return result;
    }
    if (work.profile) {
        // A copy: the colour space keeps the profile's bytes, and the codec's are freed.
        const QColorSpace space = QColorSpace::fromIccProfile(
            QByteArray(reinterpret_cast<const char *>(work.profile), qsizetype(work.profileLength)));
        if (space.isValid())
            work.picture.setColorSpace(space);
    }
    // The density as the general reader takes it, so that the written file states it again.
    if (work.densityUnit == 1) { // dots per inch
        work.picture.setDotsPerMeterX(int(100. * work.xDensity / 2.54));
        work.picture.setDotsPerMeterY(int(100. * work.yDensity / 2.54));
    } else if (work.densityUnit == 2) { // dots per centimetre
        work.picture.setDotsPerMeterX(int(100. * work.xDensity));
        work.picture.setDotsPerMeterY(int(100. * work.yDensity));
    }
    result.picture = std::move(work.picture);
    return result;
}

}
