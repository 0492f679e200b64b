#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Synth.h"
#include "Wav.h"

namespace snd {

namespace {

bool writePage(FILE* f, const ogg_page& page) {
    return std::fwrite(page.header, 1, size_t(page.header_len), f) == size_t(page.header_len) &&
           std::fwrite(page.body, 1, size_t(page.body_len), f) == size_t(page.body_len);
}

}  // namespace

bool writeOgg(const std::string& path, const Stereo& audio, int rate, float quality) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;

    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(f);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "ENCODER", "make_sounds");

    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);

    ogg_stream_state os;
    ogg_stream_init(&os, 564);  // a fixed serial number keeps the files reproducible

    bool ok = true;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) ok = ok && writePage(f, page);

    const size_t chunk = 4096;
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        size_t n = std::min(chunk, audio.size() - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, int(n));
            std::memcpy(buffer[0], audio.l.data() + done, n * sizeof(float));
            std::memcpy(buffer[1], audio.r.data() + done, n * sizeof(float));
            vorbis_analysis_wrote(&vd, int(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    ok = ok && writePage(f, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
    }

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(f) == 0 && ok;
}

}  // namespace snd
