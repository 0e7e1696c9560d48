// SPDX-License-Identifier: GPL-3.0-or-later
// The differential target's operator new and delete. The reference builds and frees a
// heap list at every node of its trees, and the address sanitizer's allocator (a stack
// trace, a quarantine and libFuzzer's hooks for each block) took half of every execution.
// Here small blocks are cut from large slabs and freed ones wait in a first-in first-out
// queue before they are handed out again, so the sanitizer's checks are kept by hand:
//   - a block's bytes past its size and its 16-byte header are poisoned, so an overflow
//     out of one block into the next is caught;
//   - a freed block is poisoned until QUARANTAINE others of its size have been freed after
//     it, so a late use of it is caught;
//   - a block freed twice, or a pointer delete did not get from new, aborts.
// LeakSanitizer no longer sees these blocks; the other targets and the sanitizer test
// build allocate through the sanitizer and keep the leak check.
// This file is built without the sanitizer and without coverage: it reads the poisoned
// headers and writes the shadow bytes itself (the sanitizer's poisoning calls cost more
// than the allocation), and its branches say nothing about the engine.
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

constexpr size_t GRAIN = 16;
constexpr uint32_t CLASSES = 8;  // blocks of up to 128 bytes come from the slabs
constexpr size_t TAILLE_PLAQUE = size_t{1} << 20;
constexpr size_t QUARANTAINE = 4096;
constexpr uint32_t MARQUE = 0x7a5c0de5;
constexpr uint32_t GRAND = CLASSES;  // the class of a block taken from malloc

struct alignas(16) Entete {
    uint32_t marque;
    uint16_t classe;
    uint16_t libre;
    Entete* suivant;  // the next freed block of the queue
};
static_assert(sizeof(Entete) == GRAIN);

struct File {
    Entete* tete;
    Entete* queue;
    size_t longueur;
};

// Constant-initialised: operator new may run before any constructor. No lock: libFuzzer
// runs the inputs on one thread, and its other thread only reads the memory figure.
File files[CLASSES];
char* plaque;
size_t reste;

// The sanitizer's shadow: a byte for every 8 bytes of memory, 0 where all 8 may be used,
// k where the first k may, 0xf7 where the program poisoned them. Blocks, headers and
// slabs are 16-byte aligned, so a block's shadow starts on a byte of its own.
constexpr uint8_t POISON = 0xf7;
uintptr_t decalage_ombre, echelle_ombre;

uint8_t* ombre(const void* p) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the shadow's address is arithmetic.
    return reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(p) >> echelle_ombre) +
                                      decalage_ombre);
}

// Byte by byte: the sanitizer's memset would take the shadow for a wild address.
void empoisonne(const void* p, size_t n) {
    uint8_t* o = ombre(p);
    for (size_t i = 0; i < n >> echelle_ombre; i++) o[i] = POISON;
}

void desempoisonne(const void* p, size_t n) {
    uint8_t* o = ombre(p);
    const size_t pleins = n >> echelle_ombre;
    for (size_t i = 0; i < pleins; i++) o[i] = 0;
    const size_t reste_octets = n & ((size_t{1} << echelle_ombre) - 1);
    if (reste_octets != 0) o[pleins] = static_cast<uint8_t>(reste_octets);
}

[[noreturn]] void faute(const char* quoi, const void* p) {
    std::fprintf(stderr, "heap fault: %s %p\n", quoi, p);
    std::abort();
}

Entete* decoupe(uint32_t classe) {
    const size_t taille = sizeof(Entete) + (classe + 1) * GRAIN;
    if (reste < taille) {
        if (decalage_ombre == 0) __asan_get_shadow_mapping(&echelle_ombre, &decalage_ombre);
        plaque = static_cast<char*>(std::aligned_alloc(GRAIN, TAILLE_PLAQUE));
        if (plaque == nullptr) return nullptr;
        __lsan_ignore_object(plaque);
        __asan_poison_memory_region(plaque, TAILLE_PLAQUE);
        reste = TAILLE_PLAQUE;
    }
    auto* e = reinterpret_cast<Entete*>(plaque);
    plaque += taille;
    reste -= taille;
    return e;
}

// A block from malloc, for sizes the slabs do not serve; the sanitizer still guards its
// end, and the header it carries is poisoned like the slabs' ones.
void* prend_grand(size_t n) {
    auto* e = static_cast<Entete*>(std::malloc(sizeof(Entete) + n));
    if (e == nullptr) return nullptr;
    *e = Entete{MARQUE, GRAND, 0, nullptr};
    __asan_poison_memory_region(e, sizeof(Entete));
    return e + 1;
}

void* prend(size_t n) {
    if (n > CLASSES * GRAIN) return prend_grand(n);
    const uint32_t classe = n == 0 ? 0 : static_cast<uint32_t>((n - 1) / GRAIN);
    File& f = files[classe];
    Entete* e = nullptr;
    if (f.longueur > QUARANTAINE) {
        e = f.tete;
        f.tete = e->suivant;
        if (f.tete == nullptr) f.queue = nullptr;
        f.longueur--;
    } else {
        e = decoupe(classe);
        if (e == nullptr) return nullptr;
    }
    // A slab's headers stay poisoned from the slab's start on.
    *e = Entete{MARQUE, static_cast<uint16_t>(classe), 0, nullptr};
    desempoisonne(e + 1, n);
    return e + 1;
}

void rend(void* p) {
    if (p == nullptr) return;
    Entete* e = static_cast<Entete*>(p) - 1;
    if (e->marque != MARQUE) faute("delete of a pointer new did not give:", p);
    if (e->libre != 0) faute("block freed twice:", p);
    if (e->classe == GRAND) {
        e->marque = 0;
        std::free(e);
        return;
    }
    empoisonne(p, (e->classe + 1) * GRAIN);
    e->libre = 1;
    e->suivant = nullptr;
    File& f = files[e->classe];
    if (f.queue != nullptr) {
        f.queue->suivant = e;
    } else {
        f.tete = e;
    }
    f.queue = e;
    f.longueur++;
}

void* prend_ou_lance(size_t n) {
    void* p = prend(n);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

// Checked once at start-up, so that a sanitizer whose shadow this file misreads cannot
// leave the target running without its checks.
bool controle_au_demarrage() {
    auto* p = static_cast<char*>(prend(20));
    auto* q = static_cast<char*>(prend(200));
    const bool sain =
        p != nullptr && q != nullptr && __asan_address_is_poisoned(p - 1) != 0 &&
        __asan_address_is_poisoned(p + 19) == 0 && __asan_address_is_poisoned(p + 20) != 0 &&
        __asan_address_is_poisoned(q - 1) != 0 && __asan_address_is_poisoned(q + 199) == 0 &&
        __asan_address_is_poisoned(q + 200) != 0;
    rend(p);
    rend(q);
    if (!sain || __asan_address_is_poisoned(p) == 0 || __asan_address_is_poisoned(q) == 0) {
        faute("the allocator's poisoning does not hold, first block", p);
    }
    return true;
}

[[maybe_unused]] const bool controle = controle_au_demarrage();

}  // namespace

void* operator new(size_t n) {
    return prend_ou_lance(n);
}
void* operator new[](size_t n) {
    return prend_ou_lance(n);
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    return prend(n);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
    return prend(n);
}
void operator delete(void* p) noexcept {
    rend(p);
}
void operator delete[](void* p) noexcept {
    rend(p);
}
void operator delete(void* p, size_t) noexcept {
    rend(p);
}
void operator delete[](void* p, size_t) noexcept {
    rend(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    rend(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    rend(p);
}
