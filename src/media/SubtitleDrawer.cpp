#include "media/SubtitleDrawer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <queue>
#include <vector>

extern "C" {
#include <ass/ass.h>
#include <libavutil/dict.h>
}

#include "media/LibraryHandles.h"

namespace brevlo::media {
namespace {

using namespace detail;
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;

// Bounds that keep damaged or hostile subtitles from costing the conversion its time: so many
// lines on the screen at once, so long a line, so many subtitles in all, so large a font.
constexpr int MostAtOnce = 24;
constexpr std::size_t LongestLine = 4096;
constexpr int MostEvents = 200000;
constexpr double LargestFontShare = 0.5;  // of the script's height
// A bitmap subtitle without an end shows until the next one, or this long.
constexpr std::int64_t LongestOpenMs = 60000;

struct AssLibraryCloser {
  void operator()(ASS_Library* l) const { ass_library_done(l); }
};
struct AssRendererCloser {
  void operator()(ASS_Renderer* r) const { ass_renderer_done(r); }
};
struct AssTrackCloser {
  void operator()(ASS_Track* t) const { ass_free_track(t); }
};
struct SubtitleFree {
  void operator()(AVSubtitle* s) const {
    avsubtitle_free(s);
    delete s;
  }
};

void Quiet(int, const char*, va_list, void*) {}

// Y'CbCr of an sRGB colour, studio range, as the encoders are told.
struct Yuv {
  int y, u, v;
};
Yuv ToYuv(int r, int g, int b) {
  return {16 + (66 * r + 129 * g + 25 * b + 128) / 256,
          128 + (-38 * r - 74 * g + 112 * b + 128) / 256,
          128 + (112 * r - 94 * g - 18 * b + 128) / 256};
}

// Lays one pixel of colour c with opacity a (0..255) onto the frame at (x, y), which lies on it.
inline void Blend(AVFrame* f, int x, int y, const Yuv& c, int a) {
  if (a <= 0) return;
  std::uint8_t* luma = f->data[0] + static_cast<std::ptrdiff_t>(y) * f->linesize[0] + x;
  *luma = static_cast<std::uint8_t>(*luma + ((c.y - *luma) * a + 127) / 255);
  // Each colour sample covers four picture samples: a quarter of the opacity from each.
  const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y / 2) * f->linesize[1] + x / 2;
  std::uint8_t* u = f->data[1] + at;
  std::uint8_t* v = f->data[2] + (static_cast<std::ptrdiff_t>(y / 2) * f->linesize[2] + x / 2);
  *u = static_cast<std::uint8_t>(*u + ((c.u - *u) * a + 510) / 1020);
  *v = static_cast<std::uint8_t>(*v + ((c.v - *v) * a + 510) / 1020);
}

// A bitmap subtitle's piece, already scaled to the output: straight RGBA.
struct Sprite {
  int x = 0, y = 0, w = 0, h = 0;
  std::vector<std::uint8_t> rgba;
};
struct Shown {
  std::int64_t start = 0, end = 0;  // ms
  bool open = false;                // no end of its own
  std::vector<Sprite> sprites;
};

// Scales a palette bitmap by area averaging, weighting colours by their opacity so that the
// transparent surround leaves no dark fringe.
Sprite ScaleBitmap(const AVSubtitleRect& r, const SubtitlePlace& p, int canvasW, int canvasH) {
  Sprite s;
  const double sx = static_cast<double>(p.width) / canvasW;
  const double sy = static_cast<double>(p.height) / canvasH;
  const int x0 = static_cast<int>(std::floor(r.x * sx)),
            y0 = static_cast<int>(std::floor(r.y * sy));
  const int x1 = static_cast<int>(std::ceil((r.x + r.w) * sx));
  const int y1 = static_cast<int>(std::ceil((r.y + r.h) * sy));
  s.x = p.left + x0;
  s.y = p.top + y0;
  s.w = std::max(1, x1 - x0);
  s.h = std::max(1, y1 - y0);
  s.rgba.assign(static_cast<std::size_t>(s.w) * s.h * 4, 0);
  const auto* palette = reinterpret_cast<const std::uint32_t*>(r.data[1]);
  for (int ty = 0; ty < s.h; ++ty) {
    const int fy0 = std::clamp(static_cast<int>(std::floor((y0 + ty) / sy)) - r.y, 0, r.h - 1);
    const int fy1 = std::clamp(static_cast<int>(std::ceil((y0 + ty + 1) / sy)) - r.y, fy0 + 1, r.h);
    for (int tx = 0; tx < s.w; ++tx) {
      const int fx0 = std::clamp(static_cast<int>(std::floor((x0 + tx) / sx)) - r.x, 0, r.w - 1);
      const int fx1 =
          std::clamp(static_cast<int>(std::ceil((x0 + tx + 1) / sx)) - r.x, fx0 + 1, r.w);
      std::uint64_t sr = 0, sg = 0, sb = 0, sa = 0, n = 0;
      for (int fy = fy0; fy < fy1; ++fy) {
        const std::uint8_t* row = r.data[0] + static_cast<std::ptrdiff_t>(fy) * r.linesize[0];
        for (int fx = fx0; fx < fx1; ++fx, ++n) {
          const int index = row[fx];
          if (index >= r.nb_colors) continue;
          const std::uint32_t argb = palette[index];
          const std::uint32_t a = argb >> 24;
          sa += a;
          sr += ((argb >> 16) & 0xFF) * a;
          sg += ((argb >> 8) & 0xFF) * a;
          sb += (argb & 0xFF) * a;
        }
      }
      std::uint8_t* out = &s.rgba[(static_cast<std::size_t>(ty) * s.w + tx) * 4];
      if (sa == 0 || n == 0) continue;
      out[0] = static_cast<std::uint8_t>(sr / sa);
      out[1] = static_cast<std::uint8_t>(sg / sa);
      out[2] = static_cast<std::uint8_t>(sb / sa);
      out[3] = static_cast<std::uint8_t>(sa / n);
    }
  }
  return s;
}

// Text that is not UTF-8 is most often in Windows' Western code page.
std::string FromWindows1252(const std::uint8_t* text, int size) {
  static const char16_t high[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  for (int i = 0; i < size; ++i) {
    const unsigned c = text[i] >= 0x80 && text[i] < 0xA0 ? high[text[i] - 0x80] : text[i];
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// A text subtitle decoded, read again as Windows' Western code page when it is not UTF-8.
bool DecodeText(AVCodecContext* decoder, AVSubtitle& sub, const AVPacket* packet) {
  int got = 0;
  if (avcodec_decode_subtitle2(decoder, &sub, &got, const_cast<AVPacket*>(packet)) >= 0) {
    return got != 0;
  }
  const std::string text = FromWindows1252(packet->data, packet->size);
  std::unique_ptr<AVPacket, PacketCloser> again(av_packet_alloc());
  if (!again || av_new_packet(again.get(), static_cast<int>(text.size())) < 0 ||
      av_packet_copy_props(again.get(), packet) < 0) {
    return false;
  }
  std::memcpy(again->data, text.data(), text.size());
  return avcodec_decode_subtitle2(decoder, &sub, &got, again.get()) >= 0 && got != 0;
}

bool IsFont(const AVStream* st) {
  const AVDictionaryEntry* type =
      av_dict_get(st->metadata, "mimetype", nullptr, AV_DICT_MATCH_CASE);
  if (type != nullptr) {
    const char* m = type->value;
    for (const char* font :
         {"font/", "application/x-truetype-font", "application/vnd.ms-opentype",
          "application/x-font-ttf", "application/x-font", "application/font-sfnt"}) {
      if (std::strncmp(m, font, std::strlen(font)) == 0) return true;
    }
  }
  const AVDictionaryEntry* name =
      av_dict_get(st->metadata, "filename", nullptr, AV_DICT_MATCH_CASE);
  if (name == nullptr) return false;
  const std::string n = name->value;
  const auto dot = n.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = n.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == "ttf" || ext == "otf" || ext == "ttc";
}

}  // namespace

struct SubtitleDrawer::State {
  SubtitlePlace place;
  std::unique_ptr<ASS_Library, AssLibraryCloser> library;
  std::unique_ptr<ASS_Renderer, AssRendererCloser> renderer;
  std::unique_ptr<ASS_Track, AssTrackCloser> track;
  std::vector<Shown> shown;  // bitmap subtitles, by start
  std::size_t nextShown = 0;

  bool ReadText(AVCodecContext* decoder, AVFormatContext* file, int stream, AVPacket* packet);
  bool ReadBitmaps(AVCodecContext* decoder, AVFormatContext* file, int stream, AVPacket* packet,
                   int canvasW, int canvasH);
  void Bound();
};

bool SubtitleDrawer::State::ReadText(AVCodecContext* decoder, AVFormatContext* file, int stream,
                                     AVPacket* packet) {
  if (decoder->subtitle_header == nullptr || decoder->subtitle_header_size <= 0) return false;
  ass_process_codec_private(track.get(), reinterpret_cast<char*>(decoder->subtitle_header),
                            decoder->subtitle_header_size);
  int events = 0;
  while (av_read_frame(file, packet) >= 0) {
    if (packet->stream_index == stream && events < MostEvents) {
      AVSubtitle sub{};
      // A line that does not decode is left out; the others are drawn.
      if (DecodeText(decoder, sub, packet)) {
        if (sub.pts != AV_NOPTS_VALUE) {
          const std::int64_t start = av_rescale_q(sub.pts, AV_TIME_BASE_Q, AVRational{1, 1000});
          for (unsigned i = 0; i < sub.num_rects; ++i) {
            const char* line = sub.rects[i]->ass;
            if (line == nullptr) continue;
            const std::size_t length = std::strlen(line);
            if (length > LongestLine) continue;
            ass_process_chunk(track.get(), const_cast<char*>(line), static_cast<int>(length), start,
                              sub.end_display_time);
            ++events;
          }
        }
        avsubtitle_free(&sub);
      }
    }
    av_packet_unref(packet);
  }
  // Styles in the file's own header.
  for (int i = 0; i < track->n_styles; ++i) {
    const double most = LargestFontShare * (track->PlayResY > 0 ? track->PlayResY : 288);
    if (track->styles[i].FontSize > most) track->styles[i].FontSize = most;
  }
  Bound();
  return track->n_events > 0;
}

// So many lines on the screen at once and no more: the later ones are left out.
void SubtitleDrawer::State::Bound() {
  ASS_Track* t = track.get();
  std::vector<int> order(static_cast<std::size_t>(t->n_events));
  for (int i = 0; i < t->n_events; ++i) order[static_cast<std::size_t>(i)] = i;
  std::stable_sort(order.begin(), order.end(),
                   [t](int a, int b) { return t->events[a].Start < t->events[b].Start; });
  std::vector<bool> keep(order.size(), true);
  std::priority_queue<long long, std::vector<long long>, std::greater<>> ends;
  for (const int i : order) {
    const ASS_Event& e = t->events[i];
    while (!ends.empty() && ends.top() <= e.Start) ends.pop();
    if (static_cast<int>(ends.size()) >= MostAtOnce) {
      keep[static_cast<std::size_t>(i)] = false;
      continue;
    }
    ends.push(e.Start + std::max(e.Duration, 0LL));
  }
  int kept = 0;
  for (int i = 0; i < t->n_events; ++i) {
    if (keep[static_cast<std::size_t>(i)]) {
      if (kept != i) {
        std::swap(t->events[kept], t->events[i]);
      }
      ++kept;
    }
  }
  // ass_free_event frees the strings of the event at that place; the ones left out are now at
  // the end.
  for (int i = kept; i < t->n_events; ++i) ass_free_event(t, i);
  t->n_events = kept;
}

bool SubtitleDrawer::State::ReadBitmaps(AVCodecContext* decoder, AVFormatContext* file, int stream,
                                        AVPacket* packet, int canvasW, int canvasH) {
  while (av_read_frame(file, packet) >= 0) {
    if (packet->stream_index == stream && static_cast<int>(shown.size()) < MostEvents) {
      AVSubtitle sub{};
      int got = 0;
      if (avcodec_decode_subtitle2(decoder, &sub, &got, packet) >= 0 && got != 0) {
        if (sub.pts != AV_NOPTS_VALUE) {
          Shown s;
          const std::int64_t at = av_rescale_q(sub.pts, AV_TIME_BASE_Q, AVRational{1, 1000});
          s.start = at + sub.start_display_time;
          s.open =
              sub.end_display_time <= sub.start_display_time || sub.end_display_time == UINT32_MAX;
          s.end = s.open ? s.start + LongestOpenMs : at + sub.end_display_time;
          // The size the bitmaps were made for may be known only once one is decoded.
          const int w = decoder->width > 0 ? decoder->width : canvasW;
          const int h = decoder->height > 0 ? decoder->height : canvasH;
          for (unsigned i = 0; i < sub.num_rects; ++i) {
            const AVSubtitleRect* r = sub.rects[i];
            if (r->type != SUBTITLE_BITMAP || r->w <= 0 || r->h <= 0 || r->data[0] == nullptr ||
                r->data[1] == nullptr || w <= 0 || h <= 0) {
              continue;
            }
            s.sprites.push_back(ScaleBitmap(*r, place, w, h));
          }
          shown.push_back(std::move(s));
        }
        avsubtitle_free(&sub);
      }
    }
    av_packet_unref(packet);
  }
  std::stable_sort(shown.begin(), shown.end(),
                   [](const Shown& a, const Shown& b) { return a.start < b.start; });
  // One without an end of its own gives way to the next (an empty one clears the screen).
  for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
    if (shown[i].open) shown[i].end = std::min(shown[i].end, shown[i + 1].start);
  }
  std::erase_if(shown, [](const Shown& s) { return s.sprites.empty() || s.end <= s.start; });
  return !shown.empty();
}

SubtitleDrawer::SubtitleDrawer(std::unique_ptr<State> state) : state_(std::move(state)) {}
SubtitleDrawer::~SubtitleDrawer() = default;

std::unique_ptr<SubtitleDrawer> SubtitleDrawer::Open(const SubtitleSource& source,
                                                     const AVFormatContext* video,
                                                     const SubtitlePlace& place) {
  QuietLibraries();
  if (source.path.empty()) return nullptr;
  AVFormatContext* opened = nullptr;
  if (avformat_open_input(&opened, source.path.c_str(), nullptr, nullptr) < 0) return nullptr;
  FormatPtr file(opened);
  if (avformat_find_stream_info(opened, nullptr) < 0) return nullptr;
  int stream = source.stream;
  if (stream < 0) {
    stream = av_find_best_stream(opened, AVMEDIA_TYPE_SUBTITLE, -1, -1, nullptr, 0);
  }
  if (stream < 0 || stream >= static_cast<int>(opened->nb_streams) ||
      opened->streams[stream]->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) {
    return nullptr;
  }
  for (unsigned i = 0; i < opened->nb_streams; ++i) {
    if (static_cast<int>(i) != stream) opened->streams[i]->discard = AVDISCARD_ALL;
  }
  const AVStream* st = opened->streams[stream];
  const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
  if (codec == nullptr) return nullptr;
  CodecPtr decoder(avcodec_alloc_context3(codec));
  if (!decoder || avcodec_parameters_to_context(decoder.get(), st->codecpar) < 0) return nullptr;
  decoder->pkt_timebase = st->time_base;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return nullptr;
  std::unique_ptr<AVPacket, PacketCloser> packet(av_packet_alloc());
  if (!packet) return nullptr;

  auto state = std::make_unique<State>();
  state->place = place;
  const AVCodecDescriptor* kind = avcodec_descriptor_get(st->codecpar->codec_id);
  if (kind != nullptr && (kind->props & AV_CODEC_PROP_BITMAP_SUB) != 0) {
    if (!state->ReadBitmaps(decoder.get(), opened, stream, packet.get(), place.sourceWidth,
                            place.sourceHeight)) {
      return nullptr;
    }
    return std::unique_ptr<SubtitleDrawer>(new SubtitleDrawer(std::move(state)));
  }

  state->library.reset(ass_library_init());
  if (!state->library) return nullptr;
  ass_set_message_cb(state->library.get(), Quiet, nullptr);
  // The video's own fonts, for the styles that name them.
  const AVFormatContext* fonts = video != nullptr ? video : opened;
  for (unsigned i = 0; i < fonts->nb_streams; ++i) {
    const AVStream* f = fonts->streams[i];
    if (f->codecpar->codec_type != AVMEDIA_TYPE_ATTACHMENT || f->codecpar->extradata == nullptr ||
        f->codecpar->extradata_size <= 0 || !IsFont(f)) {
      continue;
    }
    const AVDictionaryEntry* name = av_dict_get(f->metadata, "filename", nullptr, 0);
    ass_add_font(state->library.get(), name != nullptr ? name->value : "attached",
                 reinterpret_cast<char*>(f->codecpar->extradata), f->codecpar->extradata_size);
  }
  state->renderer.reset(ass_renderer_init(state->library.get()));
  state->track.reset(ass_new_track(state->library.get()));
  if (!state->renderer || !state->track) return nullptr;
  ASS_Renderer* r = state->renderer.get();
  ass_set_frame_size(r, place.frameWidth, place.frameHeight);
  ass_set_margins(r, place.top, place.frameHeight - place.top - place.height, place.left,
                  place.frameWidth - place.left - place.width);
  ass_set_use_margins(r, 0);
  if (place.sourceWidth > 0 && place.sourceHeight > 0) {
    ass_set_storage_size(r, place.sourceWidth, place.sourceHeight);
  }
  const SubtitleFonts& f = source.fonts;
  ass_set_fonts(r, f.fallbackFile.empty() ? nullptr : f.fallbackFile.c_str(),
                f.fallbackFamily.empty() ? nullptr : f.fallbackFamily.c_str(),
                f.systemFonts ? ASS_FONTPROVIDER_AUTODETECT : ASS_FONTPROVIDER_NONE, nullptr, 1);
  if (!state->ReadText(decoder.get(), opened, stream, packet.get())) return nullptr;
  return std::unique_ptr<SubtitleDrawer>(new SubtitleDrawer(std::move(state)));
}

bool SubtitleDrawer::HasAny() const {
  return !state_->shown.empty() || (state_->track && state_->track->n_events > 0);
}

void SubtitleDrawer::Draw(AVFrame* frame, double seconds) {
  State& s = *state_;
  if (!std::isfinite(seconds)) return;
  const auto ms = static_cast<std::int64_t>(std::llround(seconds * 1000));
  const int fw = frame->width, fh = frame->height;
  if (s.renderer) {
    int changed = 0;
    for (const ASS_Image* image = ass_render_frame(s.renderer.get(), s.track.get(), ms, &changed);
         image != nullptr; image = image->next) {
      const std::uint32_t c = image->color;
      const Yuv colour = ToYuv(static_cast<int>(c >> 24), static_cast<int>((c >> 16) & 0xFF),
                               static_cast<int>((c >> 8) & 0xFF));
      const int opacity = 255 - static_cast<int>(c & 0xFF);
      for (int y = std::max(0, -image->dst_y); y < image->h && image->dst_y + y < fh; ++y) {
        const unsigned char* row = image->bitmap + static_cast<std::ptrdiff_t>(y) * image->stride;
        for (int x = std::max(0, -image->dst_x); x < image->w && image->dst_x + x < fw; ++x) {
          Blend(frame, image->dst_x + x, image->dst_y + y, colour, row[x] * opacity / 255);
        }
      }
    }
  }
  // Bitmaps: the ones shown now, found from where the last frame's were (time only goes on).
  while (s.nextShown < s.shown.size() && s.shown[s.nextShown].end <= ms) ++s.nextShown;
  for (std::size_t i = s.nextShown; i < s.shown.size() && s.shown[i].start <= ms; ++i) {
    if (s.shown[i].end <= ms) continue;
    for (const Sprite& sprite : s.shown[i].sprites) {
      for (int y = std::max(0, -sprite.y); y < sprite.h && sprite.y + y < fh; ++y) {
        for (int x = std::max(0, -sprite.x); x < sprite.w && sprite.x + x < fw; ++x) {
          const std::uint8_t* p = &sprite.rgba[(static_cast<std::size_t>(y) * sprite.w + x) * 4];
          if (p[3] == 0) continue;
          Blend(frame, sprite.x + x, sprite.y + y, ToYuv(p[0], p[1], p[2]), p[3]);
        }
      }
    }
  }
}

}  // namespace brevlo::media
