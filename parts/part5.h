// The closing part: two thousand small flat-shaded cubes wander in
// axis-aligned steps through a box of +-100 units, coloured by their place
// in their group, while the camera of a scene animation circles them. The
// cubes fade, get glowing edges, and groups of them are thrown out again
// around fixed centres; for five seconds the animation stands still while
// the camera makes one more turn.
#pragma once

#include "engine/vector.h"
#include "scene/csf_loader.h"
#include "scene/effect.h"
#include "scene/track.h"

namespace vorlane {

struct scene;
class flash_effect;

inline constexpr int particle_count = 2000;
inline constexpr int centre_count = 10;

// One cube. Times are ms of the part's own clock (part5_clock).
struct particle {
    vector pos;
    vector vel;  // units per 20 ms, along one axis at a time
    float next_turn = 0;
    float last_move = 0;
    int group = 0;  // index into part5::centres

    // When the turn is due: a new direction along one random axis, mostly
    // away from the group centre near it and back towards it far from it,
    // faster the farther out. offset = pos - the group centre.
    void turn(const vector& offset, float t);
    // Moves by the velocity for the time since the last move; a cube
    // outside the +-100 box has its velocity reversed.
    void move(float t);
};

// The part's animation clock (ms): the part time, standing still at 18250
// from 18250 to 23250 while the camera turns, then 5000 behind.
int part5_clock();

// Index of the next of the three flash times. Never reset: only the first
// pass of the show flashes.
extern int flash_cursor;

class part5 : public effect {
public:
    explicit part5(scene& s);
    void post_render(scene& s) override;

    // Throws particles first ... last - 1 around centres[group], crowded
    // towards its middle: candidates come from a cube of side 100, but one
    // whose weight (1 - r^2 / 50^2)^5 is below 0.1 never passes, so none
    // lands beyond a radius of about 30.4. Each turns first within 400 ms
    // of base_time.
    void spawn(int group, int first, int last, float base_time);

    particle particles[particle_count];
    // 0 to 4 are the first positions of scene objects 4 to 8; the rest
    // stay at the origin.
    vector centres[centre_count];
    int spawn_stage = 0;  // re-seeding steps done, 0 to 4
    track fade_track;     // alpha of the faces, by animation frame
    track edge_track;     // alpha of the edges, by animation frame
    flash_effect* flash = nullptr;
    csf_scene animation;  // the camera and the group centres' paths

private:
    void reseed(float f, float t5);
    void draw_particles(scene& s, float f, float t5, float e);
};

}  // namespace vorlane
