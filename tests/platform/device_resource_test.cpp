// Buffers and textures: what creation accepts, the mip chain, and lock and
// unlock keeping the CPU copy.

#include "platform/gl_backend.h"
#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

TEST_F(device_test, buffers_start_zeroed_and_keep_contents_between_locks)
{
    device_vertex_buffer* b = d.create_vertex_buffer(320, 0, 0x112, D3DPOOL_DEFAULT);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->length, 320u);
    auto* p = static_cast<std::uint8_t*>(b->lock());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[319], 0);
    p[5] = 42;
    b->unlock();
    p = static_cast<std::uint8_t*>(b->lock());
    EXPECT_EQ(p[5], 42);
    b->unlock();

    device_index_buffer* i = d.create_index_buffer(20, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
    ASSERT_NE(i, nullptr);
    auto* q = static_cast<std::uint16_t*>(i->lock());
    q[9] = 1234;
    i->unlock();
    EXPECT_EQ(static_cast<std::uint16_t*>(i->lock())[9], 1234);
}

TEST_F(device_test, buffer_creation_refuses_bad_arguments)
{
    EXPECT_EQ(d.create_vertex_buffer(0, 0, 0x112, D3DPOOL_DEFAULT), nullptr);
    EXPECT_EQ(d.create_vertex_buffer(32, 0, 0x112, 7), nullptr);
    EXPECT_EQ(d.create_index_buffer(0, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT), nullptr);
    EXPECT_EQ(d.create_index_buffer(20, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT), nullptr);
}

TEST_F(device_test, a_released_buffer_hands_out_nothing_and_draws_nothing)
{
    write_vertices({{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}});
    d.set_render_state(D3DRS_LIGHTING, 0);
    vb->release();
    EXPECT_EQ(vb->lock(), nullptr);
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 0));
}

TEST_F(device_test, full_mip_chains_go_down_to_one_by_one)
{
    device_texture* one = d.create_texture(1, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->levels, 1);

    device_texture* wide = d.create_texture(1024, 128, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->levels, 11);
    EXPECT_EQ(wide->level_width(7), 8);
    EXPECT_EQ(wide->level_height(7), 1);
    EXPECT_EQ(wide->level_width(10), 1);
    EXPECT_EQ(wide->level_height(10), 1);

    d3d_locked_rect r;
    ASSERT_TRUE(wide->lock_rect(3, r));
    EXPECT_EQ(r.pitch, 128 * 4);
    EXPECT_EQ(static_cast<std::uint8_t*>(r.bits)[0], 0);
    EXPECT_FALSE(wide->lock_rect(11, r));
    EXPECT_FALSE(wide->lock_rect(-1, r));
    EXPECT_EQ(wide->get_surface_level(11), nullptr);
    ASSERT_NE(wide->get_surface_level(10), nullptr);
    EXPECT_EQ(wide->get_surface_level(10)->width, 1);
}

TEST_F(device_test, locked_texels_reach_the_texture_on_unlock_only)
{
    device_texture* t = solid_texture(0xFF00FF00, 2);
    d3d_locked_rect r;
    ASSERT_TRUE(t->lock_rect(0, r));
    std::uint32_t red = 0xFFFF0000;
    for (int i = 0; i < 4; ++i)
        std::memcpy(static_cast<std::uint8_t*>(r.bits) + 4 * i, &red, 4);
    d.set_render_state(D3DRS_LIGHTING, 0);
    d.set_texture(0, t);
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 0, 255, 0));
    t->unlock_rect(0);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 0, 0));
}

TEST_F(device_test, texture_creation_follows_the_pool_and_usage_rules)
{
    // Render targets: one level in the default pool.
    EXPECT_NE(d.create_texture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT), nullptr);
    EXPECT_EQ(d.create_texture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
    EXPECT_EQ(d.create_texture(512, 512, 0, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT), nullptr);
    // Managed textures: A8R8G8B8, sizes and level counts that exist.
    EXPECT_EQ(d.create_texture(0, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
    EXPECT_EQ(d.create_texture(16, 16, 6, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
    EXPECT_EQ(d.create_texture(16, 16, 0, 0, D3DFMT_D16, D3DPOOL_MANAGED), nullptr);
    EXPECT_EQ(d.create_texture(1 << 20, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
    device_texture* t = d.create_texture(16, 16, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->levels, 3);
}

TEST_F(device_test, render_targets_cannot_be_locked)
{
    device_texture* t = d.create_texture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_NE(t, nullptr);
    d3d_locked_rect r;
    EXPECT_FALSE(t->lock_rect(0, r));
    // A new target starts black.
    std::vector<std::uint32_t> image = d.read_surface(t->get_surface_level(0));
    ASSERT_EQ(image.size(), 64u * 64u);
    EXPECT_EQ(image[0] & 0xFFFFFF, 0u);
}

TEST_F(device_test, a_destroyed_texture_leaves_no_trace_in_states_blocks_or_targets)
{
    device_texture* t = d.create_texture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_NE(t, nullptr);
    device_surface* screen = d.get_render_target();
    ASSERT_TRUE(d.set_render_target(t->get_surface_level(0), nullptr));
    d.clear(D3DCLEAR_TARGET, 0xFFFFFFFF, 1, 0);  // makes its framebuffer
    d.set_texture(1, t);
    device_state_block* block = d.create_state_block(D3DSBT_ALL);
    ASSERT_NE(block, nullptr);
    const std::size_t handles = d.gl->textures.size();
    const std::size_t framebuffers = d.gl->framebuffers.size();

    d.destroy(t);
    EXPECT_EQ(d.gl->textures.size(), handles - 1);
    EXPECT_EQ(d.gl->framebuffers.size(), framebuffers - 1);
    EXPECT_EQ(d.state.textures[1], nullptr);
    EXPECT_EQ(block->state.textures[1], nullptr);
    // Drawing goes on into the back buffer.
    EXPECT_EQ(d.get_render_target(), screen);
    d.clear(D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 255));
    d.destroy(static_cast<device_texture*>(nullptr));
}

TEST_F(device_test, a_destroyed_buffer_is_forgotten_and_draws_nothing)
{
    write_vertices({{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}});
    d.set_render_state(D3DRS_LIGHTING, 0);
    device_state_block* block = d.create_state_block(D3DSBT_ALL);
    const std::size_t vertex_handles = d.gl->vertex_buffers.size();
    const std::size_t index_handles = d.gl->index_buffers.size();
    d.destroy(vb);
    d.destroy(ib);
    EXPECT_EQ(d.gl->vertex_buffers.size(), vertex_handles - 1);
    EXPECT_EQ(d.gl->index_buffers.size(), index_handles - 1);
    EXPECT_EQ(d.state.stream, nullptr);
    EXPECT_EQ(block->state.indices, nullptr);
    d.clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 0));
    vb = nullptr;
    ib = nullptr;
}

}  // namespace
}  // namespace vorlane::test
