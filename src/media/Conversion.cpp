#include "media/Conversion.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "media/LibraryHandles.h"
#include "media/PictureChain.h"
#include "media/SubtitleDrawer.h"
#include "media/Timeline.h"
#include "media/ToneMap.h"
#include "video/PspPlayability.h"

namespace brevlo::media {
namespace {

using namespace detail;

constexpr int OutWidth = 480;
constexpr int OutHeight = 272;
constexpr int MaxFps = 30;
// The MPEG-4 encoder writes its time base into the stream in 16 bits.
constexpr int MaxTimeBase = 65535;
// A key frame about every two seconds: seeking on the PSP stays quick, the rate stays low.
constexpr double KeySeconds = 2;
constexpr int AacFrame = 1024;
// Larger pictures are refused before any is decoded: one frame alone would take hundreds of
// megabytes.
constexpr int MaxPictureSide = 8192;
// Below this a source is a slideshow: its pictures are held at the standard rate.
constexpr int LeastFps = 10;
// The most one call of Feed does of what was put off: held pictures and silence.
constexpr int HeldPerFeed = 4;
constexpr int SilencePerFeed = 4 * 1024;
// How much shorter than its stated length a converted video may come out (streams often differ
// a little in length).
constexpr double MaxShortfall = 1.0;

struct OutputCloser {
  void operator()(AVFormatContext* f) const {
    if (f->pb != nullptr) avio_closep(&f->pb);
    avformat_free_context(f);
  }
};
struct ResampleCloser {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoCloser {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct GraphCloser {
  void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameCloser>;

struct FilterGraph {
  std::unique_ptr<AVFilterGraph, GraphCloser> graph;
  AVFilterContext* in = nullptr;
  AVFilterContext* out = nullptr;
  explicit operator bool() const { return graph != nullptr; }
};

// A graph from frames of the given shape (time base: the stream's) through chain to a sink.
bool MakeGraph(FilterGraph& made, const AVFrame* frame, AVRational timeBase,
               const std::string& chain) {
  made.graph.reset(avfilter_graph_alloc());
  if (!made.graph) return false;
  made.graph->nb_threads = 1;
  AVRational pixel = frame->sample_aspect_ratio;
  if (pixel.num <= 0 || pixel.den <= 0) pixel = AVRational{1, 1};
  char args[160];
  std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d",
                frame->width, frame->height, frame->format, timeBase.num, timeBase.den, pixel.num,
                pixel.den);
  if (avfilter_graph_create_filter(&made.in, avfilter_get_by_name("buffer"), "in", args, nullptr,
                                   made.graph.get()) < 0 ||
      avfilter_graph_create_filter(&made.out, avfilter_get_by_name("buffersink"), "out", nullptr,
                                   nullptr, made.graph.get()) < 0) {
    return false;
  }
  AVFilterInOut* ins = avfilter_inout_alloc();
  AVFilterInOut* outs = avfilter_inout_alloc();
  int parsed = AVERROR(ENOMEM);
  if (ins != nullptr && outs != nullptr) {
    outs->name = av_strdup("in");
    outs->filter_ctx = made.in;
    ins->name = av_strdup("out");
    ins->filter_ctx = made.out;
    parsed = avfilter_graph_parse_ptr(made.graph.get(), chain.c_str(), &ins, &outs, nullptr);
  }
  avfilter_inout_free(&ins);
  avfilter_inout_free(&outs);
  return parsed >= 0 && avfilter_graph_config(made.graph.get(), nullptr) >= 0;
}

// The source opened with its best picture stream (not a song's cover) and its best sound.
struct OpenedSource {
  FormatPtr format;
  int video = -1;
  int audio = -1;
  const AVCodec* videoDecoder = nullptr;
  const AVCodec* audioDecoder = nullptr;
  // Why it cannot be converted although it is a video (empty: it can).
  std::string refusal;
};

// The sound marked default, else the first one the decoders read.
int ChosenSound(const AVFormatContext* format, const AVCodec*& decoder) {
  int chosen = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* st = format->streams[i];
    if (st->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (codec == nullptr) continue;
    if (chosen < 0 || (st->disposition & AV_DISPOSITION_DEFAULT) != 0) {
      chosen = static_cast<int>(i);
      decoder = codec;
      if ((st->disposition & AV_DISPOSITION_DEFAULT) != 0) break;
    }
  }
  return chosen;
}

std::optional<OpenedSource> OpenSource(const std::string& path) {
  QuietLibraries();
  AVFormatContext* opened = nullptr;
  if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) return std::nullopt;
  OpenedSource source;
  source.format.reset(opened);
  if (avformat_find_stream_info(opened, nullptr) < 0) return std::nullopt;
  source.video = av_find_best_stream(opened, AVMEDIA_TYPE_VIDEO, -1, -1, &source.videoDecoder, 0);
  if (source.video < 0 || source.videoDecoder == nullptr) return std::nullopt;
  const AVStream* video = opened->streams[source.video];
  if ((video->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0) return std::nullopt;
  if (video->codecpar->width <= 0 || video->codecpar->height <= 0) return std::nullopt;
  if (video->codecpar->width > MaxPictureSide || video->codecpar->height > MaxPictureSide) {
    source.refusal = "the picture is larger than 8192 x 8192";
  }
  source.audio = ChosenSound(opened, source.audioDecoder);
  if (source.audio < 0 || source.audioDecoder == nullptr) {
    // Sound this build has no decoder for is a reason, never a silent video.
    const int unread =
        av_find_best_stream(opened, AVMEDIA_TYPE_AUDIO, -1, source.video, nullptr, 0);
    if (unread >= 0 && source.refusal.empty()) {
      const AVCodecID codec = opened->streams[unread]->codecpar->codec_id;
      source.refusal = std::string("the sound cannot be read (") +
                       (codec == AV_CODEC_ID_NONE ? "an unknown kind" : avcodec_get_name(codec)) +
                       ")";
    }
    source.audio = -1;
    source.audioDecoder = nullptr;
  }
  return source;
}

std::string LanguageOf(const AVStream* stream) {
  const AVDictionaryEntry* tag = av_dict_get(stream->metadata, "language", nullptr, 0);
  return tag != nullptr ? tag->value : "";
}

// Our verdict on the picture stream as if it stood in an MP4 beside the sound we make.
bool PicturePlays(const AVStream* stream, const SourceFacts& facts, TargetKind kind) {
  const AVCodecParameters* par = stream->codecpar;
  video::VideoFacts picture;
  const char* profile = avcodec_profile_name(par->codec_id, par->profile);
  if (profile == nullptr) return false;  // a stream that does not say may be any
  if (par->codec_id == AV_CODEC_ID_H264) {
    picture.codec = video::VideoCodec::H264;
    picture.h264Profile = par->profile & 0xFF;  // constraint flags aside
    picture.h264Level = par->level;
    picture.level = std::to_string(par->level / 10) + "." + std::to_string(par->level % 10);
  } else if (par->codec_id == AV_CODEC_ID_MPEG4) {
    picture.codec = video::VideoCodec::Mpeg4Visual;
    picture.mpeg4Simple = par->profile == FF_PROFILE_MPEG4_SIMPLE;
  } else {
    return false;
  }
  picture.profile = profile;
  picture.width = static_cast<std::uint32_t>(par->width);
  picture.height = static_cast<std::uint32_t>(par->height);
  if (facts.fpsNum <= 0 || par->level <= 0) return false;
  picture.frameRate = static_cast<double>(facts.fpsNum) / facts.fpsDen;
  video::Mp4Details details;
  details.seconds = facts.seconds;
  details.video = picture;
  details.sound = video::SoundFacts{video::SoundCodec::Aac, "AAC", 2, 48000, 2};
  const auto verdict =
      video::JudgeForPsp(details, kind == TargetKind::Avc ? video::Mpeg4Avc : video::Mpeg4);
  if (verdict.playability != video::Playability::Plays) return false;
  // Shown as stored, whole frames, in the colours the PSP reads.
  const PictureFacts colours = PictureFactsOf(stream, nullptr);
  const AVRational pixel = par->sample_aspect_ratio;
  return colours.quarterTurns == 0 && colours.fields == Fields::Progressive &&
         colours.matrix == Matrix::Bt601 && !colours.fullRange && colours.curve == Curve::Sdr &&
         (pixel.num == 0 || pixel.num == pixel.den);
}

SourceFacts FactsOf(const OpenedSource& source) {
  AVFormatContext* format = source.format.get();
  AVStream* video = format->streams[source.video];
  SourceFacts facts;
  facts.width = video->codecpar->width;
  facts.height = video->codecpar->height;
  const AVRational aspect = av_guess_sample_aspect_ratio(format, video, nullptr);
  if (aspect.num > 0 && aspect.den > 0) facts.sampleAspect = av_q2d(aspect);
  facts.quarterTurns = QuarterTurns(video);
  const AVRational rate = av_guess_frame_rate(format, video, nullptr);
  if (rate.num > 0 && rate.den > 0) {
    facts.fpsNum = rate.num;
    facts.fpsDen = rate.den;
  }
  if (source.audio >= 0) {
    const AVCodecParameters* sound = format->streams[source.audio]->codecpar;
    facts.audioChannels = sound->ch_layout.nb_channels;
    facts.audioRate = sound->sample_rate;
  }
  if (source.audio >= 0) facts.soundLanguage = LanguageOf(format->streams[source.audio]);
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* st = format->streams[i];
    if (st->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) continue;
    const AVCodecDescriptor* kind = avcodec_descriptor_get(st->codecpar->codec_id);
    if (kind == nullptr || avcodec_find_decoder(st->codecpar->codec_id) == nullptr) continue;
    const bool text = (kind->props & AV_CODEC_PROP_TEXT_SUB) != 0;
    const bool bitmap = (kind->props & AV_CODEC_PROP_BITMAP_SUB) != 0;
    if (!text && !bitmap) continue;
    SubtitleTrack track;
    track.stream = static_cast<int>(i);
    track.language = LanguageOf(st);
    track.forced = (st->disposition & AV_DISPOSITION_FORCED) != 0;
    track.isDefault = (st->disposition & AV_DISPOSITION_DEFAULT) != 0;
    track.picture = bitmap;
    facts.subtitles.push_back(track);
  }
  if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
    facts.seconds = static_cast<double>(format->duration) / AV_TIME_BASE;
  } else if (video->duration != AV_NOPTS_VALUE && video->duration > 0) {
    facts.seconds = static_cast<double>(video->duration) * av_q2d(video->time_base);
  }
  facts.picturePlaysAsMpeg4 = PicturePlays(video, facts, TargetKind::Mpeg4);
  facts.picturePlaysAsAvc = PicturePlays(video, facts, TargetKind::Avc);
  // The picture's own rate when the file says it; else the whole file's, which holds it.
  if (video->codecpar->bit_rate > 0) {
    facts.pictureBitRate = static_cast<double>(video->codecpar->bit_rate);
  } else if (format->bit_rate > 0) {
    facts.pictureBitRate = static_cast<double>(format->bit_rate);
  } else if (facts.seconds > 0 && format->pb != nullptr && avio_size(format->pb) > 0) {
    facts.pictureBitRate = static_cast<double>(avio_size(format->pb)) * 8 / facts.seconds;
  }
  return facts;
}

// The nearest even number from 2 to most.
int Even(double value, int most) {
  const long half = std::lround(value / 2);
  return static_cast<int>(std::clamp(half * 2, 2L, static_cast<long>(most)));
}

}  // namespace

std::optional<SourceFacts> ProbeSource(const std::string& path) {
  const auto source = OpenSource(path);
  if (!source) return std::nullopt;
  return FactsOf(*source);
}

OutputSettings PlanOutput(const SourceFacts& source, TargetKind) {
  OutputSettings out;
  double shownW = source.width;
  double shownH = source.height;
  if (std::isfinite(source.sampleAspect) && source.sampleAspect > 0) {
    shownW *= source.sampleAspect;
  }
  if (source.quarterTurns % 2 != 0) std::swap(shownW, shownH);
  if (shownW > 0 && shownH > 0) {
    const double scale = std::min(OutWidth / shownW, OutHeight / shownH);
    out.pictureWidth = Even(shownW * scale, OutWidth);
    out.pictureHeight = Even(shownH * scale, OutHeight);
  } else {
    out.pictureWidth = OutWidth;
    out.pictureHeight = OutHeight;
  }
  // Even places keep the colour planes, which have half the rows and columns, on the picture.
  out.left = (OutWidth - out.pictureWidth) / 2 / 2 * 2;
  out.top = (OutHeight - out.pictureHeight) / 2 / 2 * 2;

  AVRational rate{30000, 1001};  // unknown: the most the PSP takes, so no frame is dropped
  if (source.fpsNum > 0 && source.fpsDen > 0) {
    av_reduce(&rate.num, &rate.den, source.fpsNum, source.fpsDen, MaxTimeBase);
    if (av_cmp_q(rate, AVRational{MaxFps, 1}) > 0) {
      av_reduce(&rate.num, &rate.den, rate.num, static_cast<std::int64_t>(rate.den) * 2,
                MaxTimeBase);
      if (av_cmp_q(rate, AVRational{MaxFps, 1}) > 0) rate = AVRational{30000, 1001};
    }
    // The encoder and the PSP want a picture rate; a slideshow's pictures are held at one.
    if (av_cmp_q(rate, AVRational{LeastFps, 1}) < 0) rate = AVRational{30000, 1001};
  }
  out.fpsNum = rate.num;
  out.fpsDen = rate.den;
  out.silentSound = source.audioChannels <= 0;
  return out;
}

std::uint64_t EstimateOutputBytes(const SourceFacts& source, TargetKind kind) {
  const OutputSettings plan;
  const double seconds = std::isfinite(source.seconds) ? std::max(source.seconds, 0.0) : 0.0;
  // The video never passes its maximum rate beyond one buffer; the sound encoder may pass its
  // rate a little; the container's tables take about 16 bytes a sample (30 pictures and 47
  // sound frames a second). A copied picture keeps its own rate, a little above its average.
  const bool copied =
      kind == TargetKind::Avc ? source.picturePlaysAsAvc : source.picturePlaysAsMpeg4;
  const double video = copied ? source.pictureBitRate * 1.1 * seconds / 8
                              : (plan.videoMaxBitRate * seconds + plan.videoBufferBits) / 8;
  const double sound = plan.audioBitRate * 1.1 * seconds / 8;
  const double tables = 16.0 * (MaxFps + 47) * seconds;
  return static_cast<std::uint64_t>(std::ceil(video + sound + tables)) + (1u << 20);
}

struct Conversion::Work {
  TargetKind kind = TargetKind::Mpeg4;
  bool copyPicture = false;       // the picture plays as it is: its packets go into the MP4
  double copiedSeconds = 0;       // how far the copied picture reaches
  std::int64_t pictureShift = 0;  // the source's start, in the picture stream's time base
  std::int64_t lastPictureDts = AV_NOPTS_VALUE;
  std::string title;
  std::string sourcePath;
  std::uint64_t written = 0;
  OutputSettings plan;
  SourceFacts facts;
  OpenedSource source;
  std::unique_ptr<AVFormatContext, OutputCloser> out;
  CodecPtr videoDecoder, audioDecoder, videoEncoder, audioEncoder;
  AVStream* videoOut = nullptr;
  AVStream* audioOut = nullptr;
  // Decoded frames in, canvas frames out; made for the frames' shape and made again when it
  // changes within the stream.
  FilterGraph graph;
  // For a source that does not say whether it holds fields: its frames judged, and the last one.
  std::optional<FieldJudge> fieldJudge;
  FramePtr judged{av_frame_alloc()};
  int graphWidth = 0, graphHeight = 0, graphFormat = -1;
  std::filesystem::path toneTable;  // written for a high dynamic range source, removed at the end
  std::unique_ptr<SwrContext, ResampleCloser> resampler;
  std::unique_ptr<AVAudioFifo, FifoCloser> fifo;
  std::unique_ptr<AVPacket, PacketCloser> packet{av_packet_alloc()};
  std::unique_ptr<AVPacket, PacketCloser> encoded{av_packet_alloc()};
  FramePtr decoded{av_frame_alloc()};
  FramePtr filtered{av_frame_alloc()};
  FramePtr scaledFrame{av_frame_alloc()};
  FramePtr canvas{av_frame_alloc()};  // 480 x 272, black bars around the picture
  FramePtr soundFrame{av_frame_alloc()};
  std::optional<Timeline> timeline;
  double origin = 0;             // the source's start, in seconds, of the streams used
  double stated = 0;             // its length, as its streams state it
  std::int64_t nextPicture = 0;  // output frames written
  // Put off so that no step takes long: the canvas is sent again up to holdUntil, then the
  // waiting picture goes; silence is queued up to silenceUntil, then the waiting sound.
  std::int64_t holdUntil = 0;
  FramePtr waitingPicture{av_frame_alloc()};
  bool pictureWaits = false;
  std::int64_t silenceUntil = 0;
  FramePtr waitingSound{av_frame_alloc()};
  bool soundWaits = false;
  std::int64_t soundQueued = 0;  // samples put into the fifo, silence included
  std::int64_t soundSent = 0;    // samples given to the encoder
  std::int64_t soundToDrop = 0;  // samples already sounded
  std::int64_t soundPackets = 0, soundFrames = 0;
  AVChannelLayout inLayout{};  // the shape of the sound the resampler is set up for
  int inRate = 0;
  int inFormat = -1;
  bool headerWritten = false;
  bool inputEnded = false;
  bool pictureDrained = false, soundDrained = false;
  bool ending = false;  // all read: only the holds to the end and the encoders' last are left
  bool done = false;
  std::atomic<double> fraction{0};
  std::string error;
  SubtitleSource subtitleSource;
  std::unique_ptr<SubtitleDrawer> subtitles;
  FramePtr drawn;            // the canvas with the subtitles on it
  double subtitleClock = 0;  // the subtitles' time at the first picture
  bool subtitlesLost = false;
  std::atomic<double> subtitleSeconds{0};

  ~Work() {
    av_channel_layout_uninit(&inLayout);
    graph = {};
    std::error_code ignored;
    if (!toneTable.empty()) std::filesystem::remove(toneTable, ignored);
  }
  bool Fail(const char* reason) {
    if (error.empty()) error = reason;
    return false;
  }
  bool OpenDecoders();
  bool OpenOutput(const std::string& target);
  void OpenSubtitles();
  bool OpenPictureEncoder(bool globalHeader);
  bool OpenSoundAndFile(const std::string& target, bool globalHeader);
  bool Feed();
  bool BuildGraph(const AVFrame* frame);
  bool WriteToneTable(Curve curve);
  // Gives a decoded frame (null: the end) to the graph and what comes out to TakePicture.
  bool Filter(const AVFrame* frame);
  bool Scale(AVFrame* frame);
  bool CatchUp(bool& busy);
  bool Hold(std::int64_t most);
  // One frame from the decoder into take; false in more when it wants a packet (or is drained).
  bool Receive(AVCodecContext* decoder, bool& drained, bool& more,
               bool (Work::*take)(const AVFrame* frame));
  bool TakePicture(const AVFrame* frame);
  bool CopyPicture();
  bool Draw(const AVFrame* frame);
  bool SendPicture();
  bool TakeSound(const AVFrame* frame);
  bool Resample(const std::uint8_t** input, int count);
  bool QueueSilence(std::int64_t samples);
  bool SendSound(bool last);
  bool Drain(AVCodecContext* encoder, AVStream* stream);
  bool End();
  bool Finish();
  void Progress(double seconds);
};

namespace {

enum class Shortcuts { None, Fast, FastShrunk };

CodecPtr OpenDecoder(const AVCodec* decoder, const AVStream* stream, int threads,
                     Shortcuts shortcuts = Shortcuts::None) {
  CodecPtr codec(avcodec_alloc_context3(decoder));
  if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) return {};
  codec->pkt_timebase = stream->time_base;
  codec->thread_count = threads;
  codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  // Shortcuts the picture bench found free at 768 kbit/s: the decoder's own fast path, and no
  // deblocking of frames nothing refers to once the picture is shrunk to half or less.
  if (shortcuts != Shortcuts::None) codec->flags2 |= AV_CODEC_FLAG2_FAST;
  if (shortcuts == Shortcuts::FastShrunk) codec->skip_loop_filter = AVDISCARD_NONREF;
  codec->max_pixels = static_cast<std::int64_t>(MaxPictureSide) * MaxPictureSide;
  if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return {};
  return codec;
}

}  // namespace

bool Conversion::Work::OpenDecoders() {
  if (!source.refusal.empty()) return Fail(source.refusal.c_str());
  AVFormatContext* format = source.format.get();
  const AVCodecParameters* picture = format->streams[source.video]->codecpar;
  const bool shrunk = picture->width >= 2 * plan.width || picture->height >= 2 * plan.height;
  videoDecoder = OpenDecoder(source.videoDecoder, format->streams[source.video], 2,
                             shrunk ? Shortcuts::FastShrunk : Shortcuts::Fast);
  if (!videoDecoder) return Fail("the picture cannot be decoded");
  if (source.audio >= 0) {
    audioDecoder = OpenDecoder(source.audioDecoder, format->streams[source.audio], 1);
    if (!audioDecoder) return Fail("the sound cannot be decoded");
  }
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const int index = static_cast<int>(i);
    if (index != source.video && index != source.audio) {
      format->streams[i]->discard = AVDISCARD_ALL;
    }
  }
  // The start and the end of the streams used: a subtitle or data stream may start earlier or
  // end later.
  double start = INFINITY, end = -INFINITY;
  for (const int index : {source.video, source.audio}) {
    if (index < 0) continue;
    const AVStream* stream = format->streams[index];
    if (stream->start_time == AV_NOPTS_VALUE) continue;
    const double from = static_cast<double>(stream->start_time) * av_q2d(stream->time_base);
    start = std::min(start, from);
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
      end = std::max(end, from + static_cast<double>(stream->duration) * av_q2d(stream->time_base));
    }
  }
  if (std::isfinite(start)) {
    origin = start;
  } else if (format->start_time != AV_NOPTS_VALUE) {
    origin = static_cast<double>(format->start_time) / AV_TIME_BASE;
  }
  stated = std::isfinite(end) && end > origin ? end - origin : facts.seconds;
  TimelineSetup setup;
  setup.fpsNum = plan.fpsNum;
  setup.fpsDen = plan.fpsDen;
  setup.soundRate = plan.audioRate;
  setup.origin = origin;
  setup.clockJumps = (format->iformat->flags & AVFMT_TS_DISCONT) != 0;
  timeline.emplace(setup);
  return true;
}

bool Conversion::Work::OpenOutput(const std::string& target) {
  AVFormatContext* made = nullptr;
  if (avformat_alloc_output_context2(&made, nullptr, "psp", target.c_str()) < 0 ||
      made == nullptr) {
    return Fail("the PSP's video format cannot be written");
  }
  out.reset(made);
  const bool globalHeader = (out->oformat->flags & AVFMT_GLOBALHEADER) != 0;

  if (copyPicture) {
    const AVStream* from = source.format->streams[source.video];
    videoOut = avformat_new_stream(out.get(), nullptr);
    if (videoOut == nullptr || avcodec_parameters_copy(videoOut->codecpar, from->codecpar) < 0) {
      return Fail("out of memory");
    }
    videoOut->codecpar->codec_tag = 0;
    videoOut->time_base = from->time_base;
    videoOut->avg_frame_rate = AVRational{plan.fpsNum, plan.fpsDen};
    if (source.format->start_time != AV_NOPTS_VALUE) {
      pictureShift = av_rescale_q(source.format->start_time, AV_TIME_BASE_Q, from->time_base);
    }
  } else if (!OpenPictureEncoder(globalHeader)) {
    return false;
  }
  return OpenSoundAndFile(target, globalHeader);
}

bool Conversion::Work::OpenPictureEncoder(bool globalHeader) {
  const AVCodec* pictureCodec = kind == TargetKind::Avc
                                    ? avcodec_find_encoder_by_name("libopenh264")
                                    : avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (pictureCodec == nullptr) {
    return Fail(kind == TargetKind::Avc ? "no H.264 encoder (OpenH264) in this build"
                                        : "no MPEG-4 encoder in this build");
  }
  videoEncoder.reset(avcodec_alloc_context3(pictureCodec));
  if (!videoEncoder) return Fail("out of memory");
  AVCodecContext* v = videoEncoder.get();
  v->width = plan.width;
  v->height = plan.height;
  v->pix_fmt = AV_PIX_FMT_YUV420P;
  v->sample_aspect_ratio = AVRational{1, 1};
  v->framerate = AVRational{plan.fpsNum, plan.fpsDen};
  v->time_base = AVRational{plan.fpsDen, plan.fpsNum};
  v->gop_size = std::max(1, static_cast<int>(std::lround(KeySeconds * av_q2d(v->framerate))));
  v->max_b_frames = 0;
  // An average below the maximum leaves the rate control room to keep under it.
  v->bit_rate = plan.videoMaxBitRate / 8 * 7;
  v->rc_max_rate = plan.videoMaxBitRate;
  v->rc_buffer_size = plan.videoBufferBits;
  v->thread_count = 2;
  AVDictionary* options = nullptr;
  if (kind == TargetKind::Avc) {
    // One slice a frame: some of the PSP's system software reads only the first. OpenH264
    // works the level out from the size, rate and bit rate (2.1 here, under the PSP's 3.0).
    v->profile = FF_PROFILE_H264_MAIN;
    v->slices = 1;
    av_dict_set(&options, "rc_mode", "bitrate", 0);
    av_dict_set(&options, "coder", "cabac", 0);
  } else {
    // Level 4a: the least whose limits hold 480 x 272 at 30 frames and 768 kbit/s.
    v->profile = FF_PROFILE_MPEG4_SIMPLE;
    v->level = 4;
    v->thread_type = FF_THREAD_SLICE;
  }
  if (globalHeader) v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int opened = avcodec_open2(v, pictureCodec, &options);
  av_dict_free(&options);
  if (opened < 0) return Fail("the picture encoder does not start");
  videoOut = avformat_new_stream(out.get(), nullptr);
  if (videoOut == nullptr || avcodec_parameters_from_context(videoOut->codecpar, v) < 0) {
    return Fail("out of memory");
  }
  videoOut->time_base = v->time_base;
  videoOut->avg_frame_rate = v->framerate;
  return true;
}

bool Conversion::Work::OpenSoundAndFile(const std::string& target, bool globalHeader) {
  const AVCodec* soundCodec = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (soundCodec == nullptr) return Fail("no AAC encoder in this build");
  audioEncoder.reset(avcodec_alloc_context3(soundCodec));
  if (!audioEncoder) return Fail("out of memory");
  AVCodecContext* a = audioEncoder.get();
  a->sample_fmt = AV_SAMPLE_FMT_FLTP;
  a->sample_rate = plan.audioRate;
  av_channel_layout_default(&a->ch_layout, plan.audioChannels);
  a->bit_rate = plan.audioBitRate;
  a->profile = FF_PROFILE_AAC_LOW;
  a->time_base = AVRational{1, plan.audioRate};
  if (globalHeader) a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(a, soundCodec, nullptr) < 0) return Fail("the sound encoder does not start");
  audioOut = avformat_new_stream(out.get(), nullptr);
  if (audioOut == nullptr || avcodec_parameters_from_context(audioOut->codecpar, a) < 0) {
    return Fail("out of memory");
  }
  audioOut->time_base = a->time_base;
  fifo.reset(av_audio_fifo_alloc(a->sample_fmt, a->ch_layout.nb_channels, AacFrame * 4));
  if (!fifo) return Fail("out of memory");

  if (avio_open(&out->pb, target.c_str(), AVIO_FLAG_WRITE) < 0) {
    return Fail("the converted file cannot be created");
  }
  // The psp muxer writes it where the PSP lists it.
  if (!title.empty()) av_dict_set(&out->metadata, "title", title.c_str(), 0);
  if (avformat_write_header(out.get(), nullptr) < 0)
    return Fail("the converted file cannot be written");
  headerWritten = true;
  return true;
}

// Subtitles that cannot be read leave the picture without them; the conversion goes on.
void Conversion::Work::OpenSubtitles() {
  if (subtitleSource.path.empty()) return;
  const auto start = std::chrono::steady_clock::now();
  SubtitlePlace place;
  place.frameWidth = plan.width;
  place.frameHeight = plan.height;
  place.left = plan.left;
  place.top = plan.top;
  place.width = plan.pictureWidth;
  place.height = plan.pictureHeight;
  place.sourceWidth = facts.width;
  place.sourceHeight = facts.height;
  const bool ownStream = subtitleSource.path == sourcePath;
  subtitles = SubtitleDrawer::Open(subtitleSource, source.format.get(), place);
  drawn.reset(av_frame_alloc());
  if (drawn) {
    drawn->format = AV_PIX_FMT_YUV420P;
    drawn->width = plan.width;
    drawn->height = plan.height;
  }
  if (!subtitles || !subtitles->HasAny() || !drawn || av_frame_get_buffer(drawn.get(), 0) < 0) {
    subtitles.reset();
    subtitlesLost = true;
  }
  // The video's own subtitles keep its clock; a file beside it starts with the picture.
  const AVFormatContext* format = source.format.get();
  subtitleClock = ownStream && format->start_time != AV_NOPTS_VALUE
                      ? static_cast<double>(format->start_time) / AV_TIME_BASE
                      : 0;
  subtitleSeconds.store(
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

void Conversion::Work::Progress(double seconds) {
  double part = stated > 0 && std::isfinite(seconds) ? seconds / stated : 0;
  // A clock that jumped states no length worth the name: the part of the file read tells.
  AVIOContext* io = source.format->pb;
  if (timeline && timeline->Jumped() && io != nullptr) {
    const std::int64_t size = avio_size(io);
    if (size > 0) part = static_cast<double>(avio_tell(io)) / static_cast<double>(size);
  }
  part = std::clamp(part, 0.0, 0.999);
  if (part > fraction.load()) fraction.store(part);
}

// One small piece of work: what was put off first, then a frame from a decoder, else a packet
// read. The timeline decides where each frame goes; a hold or silence of any length is done a
// piece at a time, so a step stays short and the decoded frames few.
bool Conversion::Work::Feed() {
  bool busy = false;
  if (!CatchUp(busy)) return false;
  if (busy) return true;
  if (ending) return Finish();
  bool more = false;
  if (!copyPicture) {
    if (!Receive(videoDecoder.get(), pictureDrained, more, &Work::Filter)) return false;
    if (more) return true;
    // What the graph still holds (a deinterlacer's last field) goes out once the decoder is done.
    if (pictureDrained && graph && !Filter(nullptr)) return false;
  }
  if (audioDecoder && !Receive(audioDecoder.get(), soundDrained, more, &Work::TakeSound)) {
    return false;
  }
  if (more) return true;
  if (inputEnded) {
    if ((copyPicture || pictureDrained) && (!audioDecoder || soundDrained)) return End();
    return true;
  }
  const int read = av_read_frame(source.format.get(), packet.get());
  if (read == AVERROR(EAGAIN)) return true;
  if (read < 0) {
    if (read != AVERROR_EOF && !avio_feof(source.format->pb)) {
      return Fail("the video cannot be read to its end");
    }
    inputEnded = true;
    if (!copyPicture) avcodec_send_packet(videoDecoder.get(), nullptr);
    if (audioDecoder) avcodec_send_packet(audioDecoder.get(), nullptr);
    return true;
  }
  if (packet->stream_index == source.video && copyPicture) {
    const AVStream* stream = source.format->streams[source.video];
    if (packet->pts != AV_NOPTS_VALUE) {
      Progress(static_cast<double>(packet->pts) * av_q2d(stream->time_base) - origin);
    }
    const bool copied = CopyPicture();
    av_packet_unref(packet.get());
    return copied;
  }
  AVCodecContext* decoder = packet->stream_index == source.video   ? videoDecoder.get()
                            : packet->stream_index == source.audio ? audioDecoder.get()
                                                                   : nullptr;
  if (decoder != nullptr && decoder == audioDecoder.get()) ++soundPackets;
  // A damaged packet costs its frame, not the video: the decoder goes on at the next one.
  const int sent = decoder == nullptr ? 0 : avcodec_send_packet(decoder, packet.get());
  av_packet_unref(packet.get());
  if (sent == AVERROR(ENOMEM)) return Fail("out of memory");
  return true;
}

bool Conversion::Work::Receive(AVCodecContext* decoder, bool& drained, bool& more,
                               bool (Work::*take)(const AVFrame* frame)) {
  more = false;
  if (drained) return true;
  const int got = avcodec_receive_frame(decoder, decoded.get());
  // Told of the end, a decoder that still wants input has nothing more to give.
  if (got == AVERROR_EOF || (got == AVERROR(EAGAIN) && inputEnded)) drained = true;
  if (got == AVERROR(ENOMEM)) return Fail("out of memory");
  if (got < 0) return true;
  more = true;
  const bool ok = (this->*take)(decoded.get());
  av_frame_unref(decoded.get());
  return ok;
}

bool Conversion::Work::CatchUp(bool& busy) {
  busy = nextPicture < holdUntil || pictureWaits;
  if (busy && !Hold(HeldPerFeed)) return false;
  if (soundQueued < silenceUntil) {
    busy = true;
    if (!QueueSilence(std::min<std::int64_t>(silenceUntil - soundQueued, SilencePerFeed)) ||
        !SendSound(false)) {
      return false;
    }
  } else if (soundWaits) {
    busy = true;
    soundWaits = false;
    const bool ok = Resample(const_cast<const std::uint8_t**>(waitingSound->extended_data),
                             waitingSound->nb_samples) &&
                    SendSound(false);
    av_frame_unref(waitingSound.get());
    if (!ok) return false;
  }
  if (busy) {
    Progress(std::max(static_cast<double>(nextPicture) * plan.fpsDen / plan.fpsNum,
                      static_cast<double>(soundQueued) / plan.audioRate));
  }
  return true;
}

// Sends the held picture again, at most `most` times, then the waiting one once it is due.
bool Conversion::Work::Hold(std::int64_t most) {
  for (std::int64_t i = 0; i < most && nextPicture < holdUntil; ++i) {
    if (!SendPicture()) return false;
  }
  if (nextPicture < holdUntil || !pictureWaits) return true;
  pictureWaits = false;
  const bool placed = Draw(waitingPicture.get());
  av_frame_unref(waitingPicture.get());
  return placed && SendPicture();
}

// The timeline puts the frame at a frame time; the last picture is held up to it.
bool Conversion::Work::TakePicture(const AVFrame* frame) {
  // A caller that hands over several frames at once has what waits sent first.
  if ((nextPicture < holdUntil || pictureWaits) && !Hold(holdUntil - nextPicture)) return false;
  if (frame->width > MaxPictureSide || frame->height > MaxPictureSide) {
    return Fail("the picture is larger than 8192 x 8192");
  }
  const AVStream* stream = source.format->streams[source.video];
  const double base = av_q2d(stream->time_base);
  std::optional<double> stamp;
  if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
    stamp = static_cast<double>(frame->best_effort_timestamp) * base;
  }
  double duration = static_cast<double>(frame->pkt_duration) * base;
  if (!(duration > 0) && facts.fpsNum > 0) {
    duration = static_cast<double>(facts.fpsDen) / facts.fpsNum;
  }
  const Timeline::PictureStep step = timeline->Picture(stamp, duration);
  Progress(timeline->EndSeconds());
  if (!step.show) return true;
  if (nextPicture == 0 && !pictureWaits) {
    // The first picture also stands for the time before it.
    holdUntil = step.slot + 1;
    return Draw(frame);
  }
  if (nextPicture == step.slot && holdUntil <= nextPicture) {
    return Draw(frame) && SendPicture();
  }
  holdUntil = step.slot;
  if (av_frame_ref(waitingPicture.get(), frame) < 0) return Fail("out of memory");
  pictureWaits = true;
  return true;
}

bool Conversion::Work::BuildGraph(const AVFrame* frame) {
  const AVStream* stream = source.format->streams[source.video];
  PictureFacts picture = PictureFactsOf(stream, frame);
  if (picture.curve != Curve::Sdr) {
    if (!WriteToneTable(picture.curve)) return false;
    const std::u8string name = toneTable.generic_u8string();
    picture.toneTable = FilterEscaped(std::string(name.begin(), name.end()));
  }
  if (!MakeGraph(graph, frame, stream->time_base, PictureFilters(picture, plan))) {
    graph = {};
    return Fail("the picture cannot be scaled");
  }
  av_frame_unref(judged.get());
  fieldJudge.reset();
  const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
  // Judged on 8-bit brightness; other pictures are taken as they say.
  if (picture.fields == Fields::Unknown && format != nullptr &&
      (format->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) == 0 &&
      format->comp[0].depth == 8 && format->comp[0].step == 1) {
    fieldJudge.emplace();
  }
  graphWidth = frame->width;
  graphHeight = frame->height;
  graphFormat = frame->format;
  return true;
}

bool Conversion::Work::WriteToneTable(Curve curve) {
  if (!toneTable.empty()) return true;
  std::error_code failed;
  const auto folder = std::filesystem::temp_directory_path(failed);
  if (failed) return Fail("no folder for temporary files");
  const auto unique = std::chrono::steady_clock::now().time_since_epoch().count();
  toneTable = folder / ("brevlo-tone-" + std::to_string(unique) + ".cube");
  std::ofstream file(toneTable, std::ios::binary);
  // 33 points a side: finer than the 8 bits it ends in, small enough to write at once.
  file << ToneTable(curve, 33);
  file.close();
  if (!file) return Fail("no room for a temporary file");
  return true;
}

bool Conversion::Work::Filter(const AVFrame* frame) {
  if (frame != nullptr && (!graph || frame->width != graphWidth || frame->height != graphHeight ||
                           frame->format != graphFormat)) {
    // What the old graphs hold goes out before the new shape comes in.
    if (graph && !Filter(nullptr)) return false;
    if (!BuildGraph(frame)) return false;
  }
  if (!graph) return true;
  if (frame != nullptr) {
    if (av_frame_ref(filtered.get(), frame) < 0) return Fail("out of memory");
    filtered->pts = frame->best_effort_timestamp;
  }
  if (frame != nullptr && fieldJudge) {
    const Luma luma{frame->data[0], frame->linesize[0], frame->width, frame->height};
    const Luma before{judged->data[0], judged->linesize[0], judged->width, judged->height};
    const auto verdict = fieldJudge->Judge(luma, judged->data[0] != nullptr ? &before : nullptr);
    filtered->interlaced_frame = verdict.interlaced ? 1 : 0;
    filtered->top_field_first = verdict.topFirst ? 1 : 0;
    av_frame_unref(judged.get());
    if (av_frame_ref(judged.get(), frame) < 0) return Fail("out of memory");
  }
  return Scale(frame != nullptr ? filtered.get() : nullptr);
}

// Gives a frame (null: the end) to the graph, which takes it over, and what comes out to
// TakePicture.
bool Conversion::Work::Scale(AVFrame* frame) {
  const int added = av_buffersrc_add_frame(graph.in, frame);
  if (frame != nullptr) av_frame_unref(frame);
  if (added < 0) return Fail("the picture cannot be scaled");
  const AVRational from = av_buffersink_get_time_base(graph.out);
  const AVRational to = source.format->streams[source.video]->time_base;
  for (;;) {
    const int got = av_buffersink_get_frame(graph.out, scaledFrame.get());
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) break;
    if (got < 0) return Fail("the picture cannot be scaled");
    // Deinterlacing counts time in fields: back to the stream's own clock.
    scaledFrame->best_effort_timestamp = scaledFrame->pts == AV_NOPTS_VALUE
                                             ? AV_NOPTS_VALUE
                                             : av_rescale_q(scaledFrame->pts, from, to);
    const bool ok = TakePicture(scaledFrame.get());
    av_frame_unref(scaledFrame.get());
    if (!ok) return false;
  }
  if (frame == nullptr) graph = {};
  return true;
}

// The graph made the canvas: it is kept for each output time it stands for.
bool Conversion::Work::Draw(const AVFrame* frame) {
  av_frame_unref(canvas.get());
  if (av_frame_ref(canvas.get(), frame) < 0) return Fail("out of memory");
  canvas->pict_type = AV_PICTURE_TYPE_NONE;
  canvas->sample_aspect_ratio = AVRational{1, 1};
  return true;
}

// The packet as it is, on the output's clock, which starts where the source starts.
bool Conversion::Work::CopyPicture() {
  AVPacket* p = packet.get();
  const AVStream* from = source.format->streams[source.video];
  if (p->dts == AV_NOPTS_VALUE && p->pts == AV_NOPTS_VALUE) return true;  // nowhere to put it
  // The first packets of a stream with reordered frames may come without a decoding time (the
  // reader works it out from those after): one frame apart, as far before as the reordering.
  const std::int64_t step = std::max<std::int64_t>(
      1, av_rescale_q(1, AVRational{plan.fpsDen, plan.fpsNum}, from->time_base));
  if (p->dts == AV_NOPTS_VALUE) {
    p->dts = lastPictureDts == AV_NOPTS_VALUE ? p->pts - from->codecpar->video_delay * step
                                              : lastPictureDts + step;
  }
  if (lastPictureDts != AV_NOPTS_VALUE && p->dts <= lastPictureDts) p->dts = lastPictureDts + 1;
  if (p->pts == AV_NOPTS_VALUE || p->pts < p->dts) p->pts = p->dts;
  lastPictureDts = p->dts;
  p->pts -= pictureShift;
  p->dts -= pictureShift;
  // The muxer chose its own clock when it wrote the header.
  av_packet_rescale_ts(p, from->time_base, videoOut->time_base);
  const double seconds = static_cast<double>(p->pts) * av_q2d(videoOut->time_base);
  copiedSeconds = std::max(copiedSeconds, seconds + static_cast<double>(plan.fpsDen) / plan.fpsNum);
  p->stream_index = videoOut->index;
  p->pos = -1;
  if (av_interleaved_write_frame(out.get(), p) < 0) {
    return Fail("the converted file cannot be written (is the disk full?)");
  }
  ++nextPicture;
  // Silence keeps pace with the picture.
  if (plan.silentSound && seconds > 0) {
    const auto until = static_cast<std::int64_t>(std::llround(seconds * plan.audioRate));
    if (until > soundQueued && !QueueSilence(until - soundQueued)) return false;
    return SendSound(false);
  }
  return true;
}

bool Conversion::Work::SendPicture() {
  AVFrame* picture = canvas.get();
  if (subtitles) {
    // Drawn on a copy: the canvas may stand for more output frames, each with its own time.
    const auto start = std::chrono::steady_clock::now();
    if (av_frame_make_writable(drawn.get()) < 0 || av_frame_copy(drawn.get(), canvas.get()) < 0) {
      return Fail("out of memory");
    }
    const double rate = static_cast<double>(plan.fpsNum) / plan.fpsDen;
    subtitles->Draw(drawn.get(), subtitleClock + static_cast<double>(nextPicture) / rate);
    picture = drawn.get();
    subtitleSeconds.store(
        subtitleSeconds.load() +
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  picture->pts = nextPicture++;
  if (avcodec_send_frame(videoEncoder.get(), picture) < 0) {
    return Fail("the picture cannot be encoded");
  }
  if (!Drain(videoEncoder.get(), videoOut)) return false;
  // Silence keeps pace with the picture.
  if (plan.silentSound) {
    silenceUntil =
        std::max(silenceUntil,
                 av_rescale(nextPicture, static_cast<std::int64_t>(plan.audioRate) * plan.fpsDen,
                            plan.fpsNum));
  }
  return true;
}

// The timeline says how much silence goes before the frame (lost or late sound), or how much
// of it was sounded already.
bool Conversion::Work::TakeSound(const AVFrame* frame) {
  if (frame->nb_samples <= 0 || frame->sample_rate <= 0) return true;
  ++soundFrames;
  const AVStream* stream = source.format->streams[source.audio];
  std::optional<double> stamp;
  if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
    stamp = static_cast<double>(frame->best_effort_timestamp) * av_q2d(stream->time_base);
  }
  const Timeline::SoundStep step =
      timeline->Sound(stamp, static_cast<double>(frame->nb_samples) / frame->sample_rate);
  Progress(timeline->EndSeconds());
  soundToDrop += step.cut;
  silenceUntil = std::max(silenceUntil, soundQueued + step.silence);
  AVChannelLayout layout{};
  if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels == 0) {
    av_channel_layout_default(&layout, std::max(frame->ch_layout.nb_channels, 1));
  } else if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0) {
    return Fail("out of memory");
  }
  // Set up again when the sound's shape changes within the stream.
  if (!resampler || frame->sample_rate != inRate || frame->format != inFormat ||
      av_channel_layout_compare(&layout, &inLayout) != 0) {
    if (resampler && !Resample(nullptr, 0)) return false;
    SwrContext* made = nullptr;
    const int set = swr_alloc_set_opts2(
        &made, &audioEncoder->ch_layout, audioEncoder->sample_fmt, audioEncoder->sample_rate,
        &layout, static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    resampler.reset(made);
    if (set < 0 || swr_init(made) < 0) {
      av_channel_layout_uninit(&layout);
      return Fail("the sound cannot be mixed to stereo");
    }
    inRate = frame->sample_rate;
    inFormat = frame->format;
    av_channel_layout_uninit(&inLayout);
    inLayout = layout;
  } else {
    av_channel_layout_uninit(&layout);
  }
  if (soundQueued < silenceUntil) {
    if (av_frame_ref(waitingSound.get(), frame) < 0) return Fail("out of memory");
    soundWaits = true;
    return true;
  }
  if (!Resample(const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples)) {
    return false;
  }
  return SendSound(false);
}

// Mixes and resamples into the fifo; no input drains what the resampler holds.
bool Conversion::Work::Resample(const std::uint8_t** input, int count) {
  const int room = swr_get_out_samples(resampler.get(), count);
  if (room < 0) return Fail("the sound cannot be mixed to stereo");
  if (room == 0) return true;
  std::vector<float> left(static_cast<std::size_t>(room)), right(static_cast<std::size_t>(room));
  std::uint8_t* planes[2] = {reinterpret_cast<std::uint8_t*>(left.data()),
                             reinterpret_cast<std::uint8_t*>(right.data())};
  const int got = swr_convert(resampler.get(), planes, room, input, count);
  if (got < 0) return Fail("the sound cannot be mixed to stereo");
  const int skip = static_cast<int>(std::min<std::int64_t>(soundToDrop, got));
  soundToDrop -= skip;
  void* from[2] = {left.data() + skip, right.data() + skip};
  const int keep = got - skip;
  if (keep > 0 && av_audio_fifo_write(fifo.get(), from, keep) < keep) {
    return Fail("out of memory");
  }
  soundQueued += keep;
  return true;
}

bool Conversion::Work::QueueSilence(std::int64_t samples) {
  std::vector<float> zeros(AacFrame, 0.0f);
  void* planes[8] = {};
  for (int c = 0; c < plan.audioChannels && c < 8; ++c) planes[c] = zeros.data();
  while (samples > 0) {
    const int now = static_cast<int>(std::min<std::int64_t>(samples, AacFrame));
    if (av_audio_fifo_write(fifo.get(), planes, now) < now) return Fail("out of memory");
    samples -= now;
    soundQueued += now;
  }
  return true;
}

// Gives the encoder whole frames from the fifo, and the rest as the last frame at the end.
bool Conversion::Work::SendSound(bool last) {
  AVCodecContext* a = audioEncoder.get();
  while (av_audio_fifo_size(fifo.get()) >= AacFrame ||
         (last && av_audio_fifo_size(fifo.get()) > 0)) {
    av_frame_unref(soundFrame.get());
    soundFrame->nb_samples = std::min(av_audio_fifo_size(fifo.get()), AacFrame);
    soundFrame->format = a->sample_fmt;
    soundFrame->sample_rate = a->sample_rate;
    if (av_channel_layout_copy(&soundFrame->ch_layout, &a->ch_layout) < 0 ||
        av_frame_get_buffer(soundFrame.get(), 0) < 0) {
      return Fail("out of memory");
    }
    if (av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(soundFrame->data),
                           soundFrame->nb_samples) < soundFrame->nb_samples) {
      return Fail("out of memory");
    }
    soundFrame->pts = soundSent;
    soundSent += soundFrame->nb_samples;
    if (avcodec_send_frame(a, soundFrame.get()) < 0) return Fail("the sound cannot be encoded");
    if (!Drain(a, audioOut)) return false;
  }
  return true;
}

bool Conversion::Work::Drain(AVCodecContext* encoder, AVStream* stream) {
  for (;;) {
    const int got = avcodec_receive_packet(encoder, encoded.get());
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
    if (got < 0) return Fail("the video cannot be encoded");
    av_packet_rescale_ts(encoded.get(), encoder->time_base, stream->time_base);
    encoded->stream_index = stream->index;
    if (av_interleaved_write_frame(out.get(), encoded.get()) < 0) {
      return Fail("the converted file cannot be written (is the disk full?)");
    }
  }
}

// All is read and decoded: both streams are brought to the end of the later one.
bool Conversion::Work::End() {
  if (nextPicture == 0 && holdUntil == 0) return Fail("no picture of the video could be decoded");
  if (soundPackets > 0 && soundFrames == 0) return Fail("the sound cannot be decoded");
  // A download cut short reads to its end without an error: its stated length tells. A
  // broadcast capture whose clock jumped states no length worth the name.
  const double made = std::max(timeline->EndSeconds(), copiedSeconds);
  if (!timeline->Jumped() && stated > 0 && made < stated - std::max(MaxShortfall, stated / 20)) {
    return Fail("the video ends before its stated length: damaged or cut short");
  }
  if (resampler && !Resample(nullptr, 0)) return false;
  ending = true;
  // A copied picture is as long as its packets; only a made one is held to the end.
  if (!copyPicture) holdUntil = std::max(holdUntil, timeline->EndSlot());
  silenceUntil = std::max(silenceUntil, timeline->EndSample());
  return true;
}

bool Conversion::Work::Finish() {
  if (!SendSound(true)) return false;
  if (avcodec_send_frame(audioEncoder.get(), nullptr) < 0 || !Drain(audioEncoder.get(), audioOut)) {
    return Fail("the sound cannot be encoded");
  }
  if (videoEncoder && (avcodec_send_frame(videoEncoder.get(), nullptr) < 0 ||
                       !Drain(videoEncoder.get(), videoOut))) {
    return Fail("the picture cannot be encoded");
  }
  if (av_write_trailer(out.get()) < 0) {
    return Fail("the converted file cannot be written (is the disk full?)");
  }
  written = static_cast<std::uint64_t>(std::max<std::int64_t>(avio_tell(out->pb), 0));
  if (avio_closep(&out->pb) < 0)
    return Fail("the converted file cannot be written (is the disk full?)");
  fraction.store(1);
  done = true;
  return true;
}

Conversion::Conversion(std::unique_ptr<Work> work) : work_(std::move(work)) {}

Conversion::~Conversion() = default;

std::unique_ptr<Conversion> Conversion::Open(const std::string& source, const std::string& target,
                                             TargetKind kind, std::string& error,
                                             const std::string& title,
                                             const SubtitleSource& subtitles) {
  auto opened = OpenSource(source);
  if (!opened) {
    error = "not a video that can be read";
    return nullptr;
  }
  auto work = std::make_unique<Work>();
  work->kind = kind;
  work->title = title;
  work->sourcePath = source;
  work->subtitleSource = subtitles;
  work->facts = FactsOf(*opened);
  work->plan = PlanOutput(work->facts, kind);
  work->source = std::move(*opened);
  // Subtitles to draw need the picture made again.
  work->OpenSubtitles();
  // A picture copied keeps its own rate: one the plan changes (a slideshow's, raised to a
  // standard rate the PSP plays) is made again.
  const bool sameRate = static_cast<std::int64_t>(work->facts.fpsNum) * work->plan.fpsDen ==
                        static_cast<std::int64_t>(work->plan.fpsNum) * work->facts.fpsDen;
  work->copyPicture =
      !work->subtitles && sameRate &&
      (kind == TargetKind::Avc ? work->facts.picturePlaysAsAvc : work->facts.picturePlaysAsMpeg4);
  if (!work->packet || !work->encoded || !work->decoded || !work->soundFrame ||
      !work->waitingPicture || !work->waitingSound) {
    error = "out of memory";
    return nullptr;
  }
  if (!work->OpenDecoders() || !work->OpenOutput(target)) {
    error = work->error;
    return nullptr;
  }
  return std::unique_ptr<Conversion>(new Conversion(std::move(work)));
}

Conversion::Step Conversion::Run(double seconds) {
  Work& w = *work_;
  if (w.done) return Step::Done;
  if (!w.error.empty()) return Step::Failed;
  const auto until = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(std::max(seconds, 0.0)));
  do {
    if (!w.Feed()) return Step::Failed;
    if (w.done) return Step::Done;
  } while (std::chrono::steady_clock::now() < until);
  return Step::Working;
}

double Conversion::Fraction() const {
  return work_->fraction.load();
}

std::string Conversion::Error() const {
  return work_->error;
}

std::uint64_t Conversion::BytesWritten() const {
  return work_->written;
}

bool Conversion::SubtitlesLost() const {
  return work_->subtitlesLost;
}

double Conversion::SubtitleSeconds() const {
  return work_->subtitleSeconds.load();
}

}  // namespace brevlo::media
