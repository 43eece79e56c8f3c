// Loading XM modules: the documented layout and habits, and refusal of
// every kind of malformed or truncated module.
#include "music/song.h"
#include "tests/music/xm_builder.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

using test::build_xm;
using test::load_module;
using test::xm_module;
using test::xm_sample;

xm_module small_module()
{
    xm_module m;
    m.channels = 2;
    m.patterns.push_back(test::empty_pattern(4, 2));
    m.instruments.push_back(test::single_sample_instrument(test::square_sample()));
    return m;
}

TEST(xm_loader, reads_header_values_and_order_table)
{
    xm_module m = small_module();
    m.song_length = 3;
    m.restart = 1;
    m.orders = {0, 0, 0};
    m.speed = 5;
    m.bpm = 140;
    m.flags = 0;
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->song_length, 3);
    EXPECT_EQ(s->restart_pos, 1);
    EXPECT_EQ(s->num_channels, 2);
    EXPECT_EQ(s->num_instruments, 1);
    EXPECT_EQ(s->default_speed, 5);
    EXPECT_EQ(s->default_bpm, 140);
    EXPECT_EQ(s->format_flags, 0);
    EXPECT_EQ(s->default_global_volume, 64);
    EXPECT_NE(s->tick_handler, nullptr);
    EXPECT_EQ(s->patterns[0].rows, 4);
    song_free(s);
}

TEST(xm_loader, patterns_named_by_orders_but_missing_are_created_empty_with_64_rows)
{
    xm_module m = small_module();
    m.song_length = 2;
    m.orders = {0, 3};
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->num_patterns_used, 4);
    EXPECT_EQ(s->num_patterns, 4);
    for (int p = 1; p < 4; ++p) {
        EXPECT_EQ(s->patterns[p].rows, 64);
        ASSERT_NE(s->patterns[p].cells, nullptr);
        EXPECT_EQ(s->patterns[p].cells[127].note, 0);
    }
    song_free(s);
}

TEST(xm_loader, unpacks_cells_key_off_and_out_of_range_values)
{
    xm_module m = small_module();
    auto& cells = m.patterns[0].cells;
    cells[0] = {0x31, 2, 0, 0, 0};
    cells[1] = {97, 129, 0x40, 12, 0x20};
    cells[2] = {120, 0, 0, 0, 0};  // beyond the keymap
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    const cell* c = s->patterns[0].cells;
    EXPECT_EQ(c[0].note, 0x31);
    EXPECT_EQ(c[0].instrument, 2);
    EXPECT_EQ(c[0].volume, 0);
    EXPECT_EQ(c[1].note, note_key_off);
    EXPECT_EQ(c[1].instrument, 0);
    EXPECT_EQ(c[1].volume, 0x40);
    EXPECT_EQ(c[1].effect, 12);
    EXPECT_EQ(c[1].parameter, 0x20);
    EXPECT_EQ(c[2].note, 0);
    song_free(s);
}

TEST(xm_loader, every_mix_of_cell_fields_reads_back_as_written)
{
    // 32 rows give every mix of the five fields once: the writer packs all
    // but the full cell, which it stores unpacked, and the neighbouring
    // channel's empty cells must stay in step.
    xm_module m = small_module();
    m.patterns[0] = test::empty_pattern(32, 2);
    const std::uint8_t full[5] = {61, 1, 0x30, 15, 0x7D};
    auto mixed = [&](int mix) {
        auto field = [&](int i) { return std::uint8_t(mix & (1 << i) ? full[i] : 0); };
        return cell{field(0), field(1), field(2), field(3), field(4)};
    };
    for (int mix = 0; mix < 32; ++mix)
        m.patterns[0].cells[std::size_t(mix * 2 + 1)] = mixed(mix);
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    for (int mix = 0; mix < 32; ++mix) {
        const cell& empty = s->patterns[0].cells[mix * 2];
        const cell& c = s->patterns[0].cells[mix * 2 + 1];
        cell want = mixed(mix);
        EXPECT_EQ(empty.note | empty.instrument | empty.volume | empty.effect | empty.parameter, 0) << mix;
        EXPECT_EQ(c.note, want.note) << mix;
        EXPECT_EQ(c.instrument, want.instrument) << mix;
        EXPECT_EQ(c.volume, want.volume) << mix;
        EXPECT_EQ(c.effect, want.effect) << mix;
        EXPECT_EQ(c.parameter, want.parameter) << mix;
    }
    song_free(s);
}

TEST(xm_loader, unpacked_cells_and_pattern_without_data)
{
    xm_module m = small_module();
    m.patterns.push_back(test::xm_pattern{8, {}});
    auto bytes = build_xm(m);
    // Rewrite pattern 0's first cell unpacked: note 10, instrument 1, volume
    // 0x20, effect 15, parameter 3 in place of its packed bytes.
    std::size_t data = 60 + 276 + 9;
    ASSERT_EQ(bytes[data], 0x80);
    bytes.erase(bytes.begin() + long(data));
    std::uint8_t unpacked[5] = {10, 1, 0x20, 15, 3};
    bytes.insert(bytes.begin() + long(data), unpacked, unpacked + 5);
    bytes[60 + 276 + 7] = std::uint8_t(bytes[60 + 276 + 7] + 4);  // packed size
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    const cell& c = s->patterns[0].cells[0];
    EXPECT_EQ(c.note, 10);
    EXPECT_EQ(c.instrument, 1);
    EXPECT_EQ(c.volume, 0x20);
    EXPECT_EQ(c.effect, 15);
    EXPECT_EQ(c.parameter, 3);
    EXPECT_EQ(s->patterns[1].rows, 8);
    EXPECT_EQ(s->patterns[1].cells[15].note, 0);
    EXPECT_EQ(s->instruments[0].num_samples, 1);  // the instrument still lines up
    song_free(s);
}

TEST(xm_loader, eight_bit_deltas_are_summed_modulo_256_in_the_high_byte)
{
    xm_module m = small_module();
    xm_sample smp;
    smp.raw = {0x10, 0x10, 0xE0};
    m.instruments[0] = test::single_sample_instrument(smp);
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    const sample* d = s->instruments[0].samples[0];
    ASSERT_EQ(d->length, 3u);
    EXPECT_EQ(d->pcm[0], 4096);
    EXPECT_EQ(d->pcm[1], 8192);
    EXPECT_EQ(d->pcm[2], 0);
    EXPECT_EQ(d->pcm[3], 0);  // behind a sample without loop
    EXPECT_EQ(d->bit_depth, 16);
    EXPECT_EQ(d->loop_mode, loop_none);
    EXPECT_EQ(d->loop_length, 3u);
    song_free(s);
}

TEST(xm_loader, sixteen_bit_lengths_are_halved_and_deltas_wrap)
{
    xm_module m = small_module();
    xm_sample smp;
    smp.sixteen_bit = true;
    for (int i = 0; i < 500; ++i)
        smp.values.push_back(std::int16_t(i % 2 ? 32000 : -32000));
    m.instruments[0] = test::single_sample_instrument(smp);
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    const sample* d = s->instruments[0].samples[0];
    EXPECT_EQ(d->length, 500u);
    EXPECT_EQ(d->pcm[0], -32000);
    EXPECT_EQ(d->pcm[1], 32000);
    EXPECT_EQ(d->pcm[499], 32000);
    song_free(s);
}

TEST(xm_loader, loop_modes_and_guard_values)
{
    xm_module m = small_module();
    xm_sample forward;
    forward.values = {10, 20, 30, 40, 50};
    forward.type = 1;
    forward.loop_start = 1;
    forward.loop_length = 3;
    xm_sample both = forward;
    both.type = 3;  // bits 0 and 1: ping-pong wins
    xm_sample zero_loop = forward;
    zero_loop.loop_length = 0;
    test::xm_instrument ins;
    ins.samples = {forward, both, zero_loop};
    m.instruments[0] = ins;
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    const sample* f = s->instruments[0].samples[0];
    EXPECT_EQ(f->loop_mode, loop_forward);
    EXPECT_EQ(f->pcm[4], 20 * 256);  // a copy of the loop start
    const sample* p = s->instruments[0].samples[1];
    EXPECT_EQ(p->loop_mode, loop_pingpong);
    EXPECT_EQ(p->pcm[4], 40 * 256);  // a copy of the last loop value
    const sample* z = s->instruments[0].samples[2];
    EXPECT_EQ(z->loop_mode, loop_none);
    EXPECT_EQ(z->loop_start, 0u);
    EXPECT_EQ(z->loop_length, 5u);
    EXPECT_EQ(s->instruments[0].samples[3], &empty_sample);
    song_free(s);
}

TEST(xm_loader, loops_reaching_past_the_data_are_cut_to_it)
{
    xm_module m = small_module();
    xm_sample smp;
    smp.values = {1, 2, 3, 4};
    smp.type = 1;
    smp.loop_start = 2;
    smp.loop_length = 100;
    xm_sample beyond = smp;
    beyond.loop_start = 9;
    test::xm_instrument ins;
    ins.samples = {smp, beyond};
    m.instruments[0] = ins;
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->instruments[0].samples[0]->loop_length, 2u);
    EXPECT_EQ(s->instruments[0].samples[0]->loop_mode, loop_forward);
    EXPECT_EQ(s->instruments[0].samples[1]->loop_mode, loop_none);
    EXPECT_EQ(s->instruments[0].samples[1]->loop_length, 4u);
    song_free(s);
}

TEST(xm_loader, instrument_header_values_and_one_without_samples)
{
    xm_module m = small_module();
    m.instruments.insert(m.instruments.begin(), test::xm_instrument{});
    auto& ins = m.instruments[1];
    ins.fadeout = 128;
    ins.keymap[40] = 3;
    ins.vol.points = {{0, 64}, {10, 32}, {20, 0}};
    ins.vol.type = 7;
    ins.vol.sustain = 1;
    ins.vol.loop_start = 0;
    ins.vol.loop_end = 2;
    ins.pan.points = {{0, 32}};
    ins.pan.type = 1;  // one point: switched off
    ins.vibrato_depth = 9;
    auto bytes = build_xm(m);
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    const instrument& none = s->instruments[0];
    EXPECT_EQ(none.num_samples, 0);
    for (const sample* slot : none.samples)
        EXPECT_EQ(slot, &empty_sample);
    const instrument& i = s->instruments[1];
    EXPECT_EQ(i.num_samples, 1);
    EXPECT_EQ(i.fadeout, 256);
    EXPECT_EQ(i.keymap[40], 3);
    EXPECT_EQ(i.vol_points, 3);
    EXPECT_EQ(i.vol_env[1].x, 10);
    EXPECT_EQ(i.vol_env[1].y, 32);
    EXPECT_EQ(i.vol_type, 7);
    EXPECT_EQ(i.pan_type, 0);
    EXPECT_EQ(i.vibrato_depth, 9);
    song_free(s);
}

TEST(xm_loader, broken_envelopes_are_made_safe)
{
    xm_module m = small_module();
    auto& ins = m.instruments[0];
    ins.vol.points = {{0, 200}, {10, 32}};
    ins.vol.type = 5;
    ins.vol.loop_start = 0;
    ins.vol.loop_end = 12;  // beyond the stored points
    auto bytes = build_xm(m);
    // 13 points declared: beyond the twelve stored.
    std::size_t counts = 60 + 276 + 9 + 8 + 29 + 4 + 96 + 96;
    bytes[counts] = 13;
    song* s = load_module(bytes);
    ASSERT_NE(s, nullptr);
    const instrument& i = s->instruments[0];
    EXPECT_EQ(i.vol_points, 12);
    EXPECT_EQ(i.vol_env[0].y, 64);
    EXPECT_EQ(i.vol_type & envelope_loop, 0);
    song_free(s);
}

TEST(xm_loader, sample_hook_supplies_plain_data)
{
    xm_module m = small_module();
    xm_sample smp;
    smp.values = {0, 0, 0, 0};
    m.instruments[0] = test::single_sample_instrument(smp);
    auto bytes = build_xm(m);
    install_mem_file_callbacks();
    mem_file_set_source(bytes.data(), std::int32_t(bytes.size()));
    static int calls = 0;
    calls = 0;
    song* s = song_load("x", [](void* buffer, int count, int bits, int ins, int smp_index) {
        ++calls;
        EXPECT_EQ(count, 4);
        EXPECT_EQ(bits, 8);
        EXPECT_EQ(ins, 0);
        EXPECT_EQ(smp_index, 0);
        auto* b = static_cast<std::uint8_t*>(buffer);
        for (int i = 0; i < count; ++i)
            b[i] = std::uint8_t(0x10);
    });
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(calls, 1);
    // No delta decoding with a hook.
    EXPECT_EQ(s->instruments[0].samples[0]->pcm[3], 4096);
    song_free(s);
}

// Malformed modules: each must give null, never a crash or a half-built song.

song* load_edited(void (*edit)(xm_module&))
{
    xm_module m = small_module();
    edit(m);
    static std::vector<std::uint8_t> bytes;
    bytes = build_xm(m);
    return load_module(bytes);
}

TEST(xm_loader_refuses, a_file_without_the_signature)
{
    std::vector<std::uint8_t> bytes = build_xm(small_module());
    bytes[9] = 'X';
    EXPECT_EQ(load_module(bytes), nullptr);
}

TEST(xm_loader_refuses, more_than_32_channels)
{
    EXPECT_EQ(load_edited([](xm_module& m) {
                  m.channels = 33;
                  m.patterns[0] = test::empty_pattern(4, 33);
              }),
              nullptr);
}

TEST(xm_loader_refuses, more_than_128_instruments)
{
    EXPECT_EQ(load_edited([](xm_module& m) { m.instruments.resize(129); }), nullptr);
}

TEST(xm_loader_refuses, patterns_of_0_or_more_than_256_rows)
{
    EXPECT_EQ(load_edited([](xm_module& m) { m.patterns[0] = test::empty_pattern(0, 2); }), nullptr);
    EXPECT_EQ(load_edited([](xm_module& m) { m.patterns[0] = test::empty_pattern(257, 2); }), nullptr);
    song* s = load_edited([](xm_module& m) { m.patterns[0] = test::empty_pattern(256, 2); });
    EXPECT_NE(s, nullptr);
    song_free(s);
}

TEST(xm_loader_refuses, more_than_16_samples_in_an_instrument)
{
    EXPECT_EQ(load_edited([](xm_module& m) {
                  m.instruments[0].samples.assign(17, test::square_sample(4));
              }),
              nullptr);
}

TEST(xm_loader_refuses, more_than_256_patterns_or_orders)
{
    EXPECT_EQ(load_edited([](xm_module& m) { m.pattern_count = 300; }), nullptr);
    EXPECT_EQ(load_edited([](xm_module& m) { m.song_length = 257; }), nullptr);
}

TEST(xm_loader_refuses, a_tempo_of_zero)
{
    EXPECT_EQ(load_edited([](xm_module& m) { m.bpm = 0; }), nullptr);
}

TEST(xm_loader_refuses, a_sample_longer_than_the_bytes_left)
{
    std::vector<std::uint8_t> bytes = build_xm(small_module());
    // The sample header sits 40 bytes before the 64 data bytes at the end.
    std::size_t length_field = bytes.size() - 64 - 40;
    bytes[length_field] = 65;
    EXPECT_EQ(load_module(bytes), nullptr);
}

TEST(xm_loader_refuses, every_truncation_of_a_valid_module)
{
    xm_module m = small_module();
    m.patterns[0].cells[0] = {49, 1, 0, 0, 0};
    std::vector<std::uint8_t> whole = build_xm(m);
    song* s = load_module(whole);
    ASSERT_NE(s, nullptr);
    song_free(s);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + long(n));
        EXPECT_EQ(load_module(cut), nullptr) << "cut at " << n;
    }
}

TEST(xm_loader_keeps, a_restart_beyond_the_song_as_zero)
{
    song* s = load_edited([](xm_module& m) { m.restart = 5; });
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->restart_pos, 0);
    song_free(s);
}

TEST(xm_loader_keeps, failing_open_as_null)
{
    set_file_callbacks([](const char*) -> std::uintptr_t { return 0; }, mem_file_close,
                       mem_file_read, mem_file_seek, mem_file_tell);
    EXPECT_EQ(song_load("x", nullptr), nullptr);
    install_mem_file_callbacks();
    EXPECT_FALSE(song_free(nullptr));
}

}  // namespace
}  // namespace vorlane
