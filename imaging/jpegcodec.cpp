#include "imaging/jpegcodec.h"

#include "platform/core/stream.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

// Everything between a setjmp and the library's longjmp back to it lives in the plain-data
// structures below and in the guarded functions, which declare no object with a destructor:
// jumping over them skips nothing.

namespace {

constexpr int kBufferSize = 4096;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    bool messageSet;
    char message[JMSG_LENGTH_MAX + 256];
};

void errorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (!err->messageSet) {
        (*cinfo->err->format_message)(cinfo, err->message);
        err->messageSet = true;
    }
    longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr /*cinfo*/)
{
    // The library's messages reach the caller as exceptions, never the console.
}

void initErrorManager(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    // Warnings (damaged or missing image data) keep the library's own handling: decoding goes
    // on and fills in what is lost, as the library's own tools show such a picture.
    err.pub.output_message = outputMessage;
    err.messageSet = false;
    err.message[0] = '\0';
}

// Stores the text of a failure of our own so that the library's error exit reports it.
void keepMessage(ErrorManager& err, const char* text)
{
    std::snprintf(err.message, sizeof err.message, "%s", text);
    err.messageSet = true;
}

void monitorProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor
        && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
        char text[64];
        std::snprintf(text, sizeof text, "The JPEG picture has more than %d scans", kMaxJpegScans);
        keepMessage(*reinterpret_cast<ErrorManager*>(cinfo->err), text);
        errorExit(cinfo);
    }
}

struct StreamSource {
    jpeg_source_mgr pub;
    platform::TStream* stream;
    ErrorManager* err;
    bool startOfFile;
    bool ended; // the stream has no more: the buffer holds an inserted end marker
    JOCTET buffer[kBufferSize];
};

struct StreamDestination {
    jpeg_destination_mgr pub;
    platform::TStream* stream;
    ErrorManager* err;
    JOCTET buffer[kBufferSize];
};

void initSource(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    src->startOfFile = true;
    src->ended = false;
}

// Returns the number of bytes read, or -1 after keeping the stream's error text.
long readStream(StreamSource* src)
{
    try {
        return static_cast<long>(src->stream->Read(src->buffer, kBufferSize));
    } catch (const std::exception& e) {
        keepMessage(*src->err, e.what());
    } catch (...) {
        keepMessage(*src->err, "Stream read error");
    }
    return -1;
}

boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    const long n = readStream(src);
    if (n < 0)
        errorExit(reinterpret_cast<j_common_ptr>(cinfo));
    src->pub.next_input_byte = src->buffer;
    if (n == 0) {
        if (src->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A picture that ends early: as the library's own sources do, warn and put an end of
        // image in place of the missing data. The decoder fills in the rest and stops there.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        src->pub.bytes_in_buffer = 2;
        src->ended = true;
        return TRUE;
    }
    src->pub.bytes_in_buffer = static_cast<size_t>(n);
    src->startOfFile = false;
    src->ended = false;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long numBytes)
{
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    if (numBytes <= 0)
        return;
    while (numBytes > static_cast<long>(src->pub.bytes_in_buffer)) {
        numBytes -= static_cast<long>(src->pub.bytes_in_buffer);
        fillInputBuffer(cinfo);
        // Skipping beyond the end: the inserted end marker is what comes next.
        if (src->ended)
            return;
    }
    src->pub.next_input_byte += numBytes;
    src->pub.bytes_in_buffer -= static_cast<size_t>(numBytes);
}

bool rewindUnread(StreamSource* src)
{
    try {
        if (src->pub.bytes_in_buffer > 0 && !src->ended)
            src->stream->Seek(
                -static_cast<int64_t>(src->pub.bytes_in_buffer), platform::TSeekOrigin::soCurrent);
        src->pub.bytes_in_buffer = 0;
        return true;
    } catch (...) {
        return false;
    }
}

void termSource(j_decompress_ptr cinfo)
{
    // Give back what was read ahead, so the stream stands right after the picture.
    rewindUnread(reinterpret_cast<StreamSource*>(cinfo->src));
}

void initDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
}

bool writeStream(StreamDestination* dest, size_t count)
{
    try {
        dest->stream->WriteBuffer(dest->buffer, static_cast<int64_t>(count));
        return true;
    } catch (const std::exception& e) {
        keepMessage(*dest->err, e.what());
    } catch (...) {
        keepMessage(*dest->err, "Stream write error");
    }
    return false;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    if (!writeStream(dest, kBufferSize))
        errorExit(reinterpret_cast<j_common_ptr>(cinfo));
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<StreamDestination*>(cinfo->dest);
    const size_t count = kBufferSize - dest->pub.free_in_buffer;
    if (count > 0 && !writeStream(dest, count))
        errorExit(reinterpret_cast<j_common_ptr>(cinfo));
}

} // namespace

struct TJpegDecompressor {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    StreamSource source;
    bool created;
};

struct TJpegCompressor {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    StreamDestination destination;
    bool created;
};

namespace {

[[noreturn]] void raise(const ErrorManager& err)
{
    throw EJpegError(err.message[0] != '\0' ? err.message : "JPEG library error");
}

// ---- guarded calls: setjmp, one library call, no C++ objects ----

bool guardedCreateDecompress(TJpegDecompressor* d)
{
    if (setjmp(d->err.jump))
        return false;
    jpeg_create_decompress(&d->cinfo);
    d->created = true;
    return true;
}

bool guardedReadHeader(TJpegDecompressor* d)
{
    if (setjmp(d->err.jump))
        return false;
    jpeg_read_header(&d->cinfo, TRUE);
    return true;
}

bool guardedStartDecompress(TJpegDecompressor* d)
{
    if (setjmp(d->err.jump))
        return false;
    jpeg_start_decompress(&d->cinfo);
    return true;
}

bool guardedReadScanlines(TJpegDecompressor* d, JSAMPARRAY rows, JDIMENSION count, JDIMENSION* read)
{
    if (setjmp(d->err.jump))
        return false;
    *read = jpeg_read_scanlines(&d->cinfo, rows, count);
    return true;
}

bool guardedFinishDecompress(TJpegDecompressor* d)
{
    if (setjmp(d->err.jump))
        return false;
    jpeg_finish_decompress(&d->cinfo);
    return true;
}

bool guardedCreateCompress(TJpegCompressor* c)
{
    if (setjmp(c->err.jump))
        return false;
    jpeg_create_compress(&c->cinfo);
    c->created = true;
    return true;
}

bool guardedSetParams(TJpegCompressor* c, const TJpegCompressParams* p)
{
    if (setjmp(c->err.jump))
        return false;
    c->cinfo.image_width = static_cast<JDIMENSION>(p->width);
    c->cinfo.image_height = static_cast<JDIMENSION>(p->height);
    c->cinfo.input_components = p->components;
    c->cinfo.in_color_space
        = p->inColorSpace == jcsBgr ? JCS_EXT_BGR : static_cast<J_COLOR_SPACE>(p->inColorSpace);
    jpeg_set_defaults(&c->cinfo);
    c->cinfo.density_unit = 1;
    c->cinfo.X_density = static_cast<UINT16>(p->xDotsPerInch);
    c->cinfo.Y_density = static_cast<UINT16>(p->yDotsPerInch);
    jpeg_set_quality(&c->cinfo, p->quality, TRUE);
    if (p->progressive)
        jpeg_simple_progression(&c->cinfo);
    c->cinfo.optimize_coding = p->optimizeCoding ? TRUE : FALSE;
    return true;
}

bool guardedStartCompress(TJpegCompressor* c, boolean writeAllTables)
{
    if (setjmp(c->err.jump))
        return false;
    jpeg_start_compress(&c->cinfo, writeAllTables);
    return true;
}

bool guardedWriteScanlines(TJpegCompressor* c, JSAMPARRAY rows, JDIMENSION count)
{
    if (setjmp(c->err.jump))
        return false;
    jpeg_write_scanlines(&c->cinfo, rows, count);
    return true;
}

bool guardedFinishCompress(TJpegCompressor* c)
{
    if (setjmp(c->err.jump))
        return false;
    jpeg_finish_compress(&c->cinfo);
    return true;
}

} // namespace

// ---- decompressor ----

TJpegDecompressor* CreateJpegDecompressor()
{
    auto* d = new (std::nothrow) TJpegDecompressor;
    if (d == nullptr)
        platform::RaiseOutOfResources(ENOMEM);
    std::memset(d, 0, sizeof *d);
    initErrorManager(d->err);
    d->cinfo.err = &d->err.pub;
    if (!guardedCreateDecompress(d)) {
        const ErrorManager err = d->err;
        delete d;
        raise(err);
    }
    // Set once created: creating clears everything but the error manager.
    d->progress.progress_monitor = monitorProgress;
    d->cinfo.progress = &d->progress;
    return d;
}

void DestroyJpegDecompressor(TJpegDecompressor* d)
{
    if (d == nullptr)
        return;
    if (d->created)
        jpeg_destroy_decompress(&d->cinfo); // never raises
    delete d;
}

void SetJpegSource(TJpegDecompressor* d, platform::TStream& stream)
{
    StreamSource& s = d->source;
    s.stream = &stream;
    s.err = &d->err;
    s.pub.init_source = initSource;
    s.pub.fill_input_buffer = fillInputBuffer;
    s.pub.skip_input_data = skipInputData;
    s.pub.resync_to_restart = jpeg_resync_to_restart;
    s.pub.term_source = termSource;
    s.pub.bytes_in_buffer = 0;
    s.pub.next_input_byte = nullptr;
    d->cinfo.src = &s.pub;
}

void ReadJpegHeader(TJpegDecompressor* d)
{
    if (!guardedReadHeader(d))
        raise(d->err);
}

TJpegDecompressInfo GetJpegDecompressInfo(TJpegDecompressor* d)
{
    TJpegDecompressInfo info;
    info.imageWidth = static_cast<int>(d->cinfo.image_width);
    info.imageHeight = static_cast<int>(d->cinfo.image_height);
    info.outputWidth = static_cast<int>(d->cinfo.output_width);
    info.outputHeight = static_cast<int>(d->cinfo.output_height);
    info.outputComponents = d->cinfo.output_components;
    info.densityUnit = d->cinfo.density_unit;
    info.xDensity = d->cinfo.X_density;
    info.yDensity = d->cinfo.Y_density;
    info.storedColorSpace = d->cinfo.jpeg_color_space;
    return info;
}

void SetJpegOutColorSpace(TJpegDecompressor* d, TJpegColorSpace colorSpace)
{
    d->cinfo.out_color_space = colorSpace == jcsBgr ? JCS_EXT_BGR : static_cast<J_COLOR_SPACE>(colorSpace);
}

void StartJpegDecompress(TJpegDecompressor* d)
{
    if (!guardedStartDecompress(d))
        raise(d->err);
}

int ReadJpegScanlines(TJpegDecompressor* d, uint8_t* const* rows, int count)
{
    JDIMENSION read = 0;
    if (!guardedReadScanlines(d, const_cast<JSAMPARRAY>(rows), static_cast<JDIMENSION>(count), &read))
        raise(d->err);
    return static_cast<int>(read);
}

void FinishJpegDecompress(TJpegDecompressor* d)
{
    if (!guardedFinishDecompress(d))
        raise(d->err);
}

// ---- compressor ----

TJpegCompressor* CreateJpegCompressor()
{
    auto* c = new (std::nothrow) TJpegCompressor;
    if (c == nullptr)
        platform::RaiseOutOfResources(ENOMEM);
    std::memset(c, 0, sizeof *c);
    initErrorManager(c->err);
    c->cinfo.err = &c->err.pub;
    if (!guardedCreateCompress(c)) {
        const ErrorManager err = c->err;
        delete c;
        raise(err);
    }
    return c;
}

void DestroyJpegCompressor(TJpegCompressor* c)
{
    if (c == nullptr)
        return;
    if (c->created)
        jpeg_destroy_compress(&c->cinfo);
    delete c;
}

void SetJpegDestination(TJpegCompressor* c, platform::TStream& stream)
{
    StreamDestination& dest = c->destination;
    dest.stream = &stream;
    dest.err = &c->err;
    dest.pub.init_destination = initDestination;
    dest.pub.empty_output_buffer = emptyOutputBuffer;
    dest.pub.term_destination = termDestination;
    c->cinfo.dest = &dest.pub;
}

void SetJpegCompressParams(TJpegCompressor* c, const TJpegCompressParams& params)
{
    if (!guardedSetParams(c, &params))
        raise(c->err);
}

void StartJpegCompress(TJpegCompressor* c, bool writeAllTables)
{
    if (!guardedStartCompress(c, writeAllTables ? TRUE : FALSE))
        raise(c->err);
}

void WriteJpegScanlines(TJpegCompressor* c, const uint8_t* const* rows, int count)
{
    if (!guardedWriteScanlines(c, const_cast<JSAMPARRAY>(rows), static_cast<JDIMENSION>(count)))
        raise(c->err);
}

void FinishJpegCompress(TJpegCompressor* c)
{
    if (!guardedFinishCompress(c))
        raise(c->err);
}
