#pragma once
// How freed memory goes back to the system. Threads allocate from heaps of
// their own; what a comparison's readers freed stays counted in them unless
// given back.

// Gives back what is free in every heap now.
void ReturnFreedMemory();

// While one lives, the end of a thread's heap goes back to the system as
// soon as more than a little of it is free, not only once it is as big as
// the largest block freed so far. Kept around the freeing of a whole run's
// result, not the run: giving back and taking again would slow the walk.
class HeapsGiveBackOnFree {
public:
    HeapsGiveBackOnFree();
    ~HeapsGiveBackOnFree();
    HeapsGiveBackOnFree(const HeapsGiveBackOnFree&) = delete;
    HeapsGiveBackOnFree& operator=(const HeapsGiveBackOnFree&) = delete;
};
