// SPDX-License-Identifier: GPL-3.0-or-later
#include "ai_memoire.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(_WIN32)
#include <malloc.h>
#include <windows.h>
#endif

namespace {

// One result and its whole key, one cache line. A zeroed entry matches no key, since every
// key has its top bit set.
struct alignas(64) Tentree {
    uint64_t cle[6];  // Tcle::mots
    int64_t valeur;
    int32_t score;
};
static_assert(sizeof(Tentree) == 64, "one entry, one cache line");

// Three regions: searches two or three plies from the horizon, the most numerous, whose
// repeats come close together; deeper searches, few but each worth a large subtree; and
// counts, in the shares 1, 1 and 4 of the table. A table much larger than the processor's
// caches costs more in misses than it saves at the search's usual depths.
enum Tregion { PRES_DE_L_HORIZON, LOIN_DE_L_HORIZON, COMPTES, NB_REGIONS };
constexpr size_t PARTS_DE[NB_REGIONS] = {1, 1, 4};
constexpr size_t PARTS = 6;
constexpr size_t MEBIOCTET = size_t{1} << 20;

// Where each region starts and how many entries it has, for a table of a given size.
struct Tdisposition {
    size_t entrees_de[NB_REGIONS];
    size_t debut_de[NB_REGIONS];
    size_t octets;
};

Tdisposition disposition_pour(size_t mebioctets) {
    Tdisposition d{};
    const size_t entrees = mebioctets * (MEBIOCTET / sizeof(Tentree));
    size_t debut = 0;
    for (int r = 0; r < NB_REGIONS; r++) {
        d.entrees_de[r] = std::max<size_t>(1, entrees * PARTS_DE[r] / PARTS);
        d.debut_de[r] = debut;
        debut += d.entrees_de[r];
    }
    d.octets = debut * sizeof(Tentree);
    return d;
}

Tentree* table = nullptr;
Tdisposition disposition = disposition_pour(TAILLE_MEMOIRE_DEFAUT_MO);
size_t mebioctets_voulus = TAILLE_MEMOIRE_DEFAUT_MO;
// Whether the size asked for has been tried since it was asked for, and whether that left
// the engine with no table at all.
bool allocation_essayee = false;
bool sans_table = false;
bool active = true;
Tstatistiques_memoire statistiques{0, 0, 0};

constexpr uint64_t MARQUE = uint64_t{1} << 63;

// The memo is emptied by changing the generation that every key holds: a result kept under
// another generation matches no key. The table is zeroed only when the generations have
// gone round.
constexpr int BIT_GENERATION = 52;
constexpr uint64_t GENERATIONS = 2048;  // the key word's free bits, 52 to 62
uint64_t generation = 0;

// A state word as its offset from the smallest value it may hold; a value that does not fit
// its field shows as bits above the field's width.
constexpr uint64_t decale(int32_t valeur, int32_t minimum) {
    return static_cast<uint64_t>(int64_t{valeur} - minimum);
}

// The squares as 4-bit codes, sixteen to a word; false when a code lies outside -8..7.
bool encode_cases(const Techiquier* e, uint64_t* mots) {
#if defined(__SSE2__)
    // Sixteen codes narrowed to bytes (saturation keeps codes out of range out of range),
    // then two bytes' low halves joined into one byte.
    const __m128i sept = _mm_set1_epi8(7);
    const __m128i moins_huit = _mm_set1_epi8(-8);
    const __m128i bas = _mm_set1_epi8(0x0F);
    const __m128i octet = _mm_set1_epi16(0x00FF);
    __m128i hors = _mm_setzero_si128();
    __m128i moities[4];
    for (int k = 0; k < 4; k++) {
        const auto* q = reinterpret_cast<const __m128i*>(e->cases + 16 * k);
        const __m128i v =
            _mm_packs_epi16(_mm_packs_epi32(_mm_loadu_si128(q), _mm_loadu_si128(q + 1)),
                            _mm_packs_epi32(_mm_loadu_si128(q + 2), _mm_loadu_si128(q + 3)));
        hors = _mm_or_si128(hors, _mm_cmpgt_epi8(v, sept));
        hors = _mm_or_si128(hors, _mm_cmpgt_epi8(moins_huit, v));
        const __m128i n = _mm_and_si128(v, bas);
        moities[k] = _mm_and_si128(_mm_or_si128(n, _mm_srli_epi16(n, 4)), octet);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(mots), _mm_packus_epi16(moities[0], moities[1]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(mots + 2),
                     _mm_packus_epi16(moities[2], moities[3]));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(hors, _mm_setzero_si128())) == 0xFFFF;
#else
    bool tient = true;
    for (int mot = 0; mot < 4; mot++) {
        mots[mot] = 0;
        for (int i = 0; i < 16; i++) {
            const int32_t code = e->cases[16 * mot + i];
            tient = tient && code >= -8 && code <= 7;
            mots[mot] |= static_cast<uint64_t>(code & 15) << (4 * i);
        }
    }
    return tient;
#endif
}

// The hash of the position's part of the key (not the window).
uint64_t melange(const Tcle& cle) {
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 5; i++) {
        h = (h ^ cle.mots[i]) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    return h;
}

// The most a table may take (plafonne_memoire).
size_t plafond = SIZE_MAX;

// Whether the machine has that much memory free: on Linux and Windows, the physical memory
// available; elsewhere the allocation alone decides. Asking for more would let the system
// promise pages it cannot give, and end the process when the table is zeroed.

bool memoire_disponible(size_t octets) {
    if (octets > plafond) return false;
#if defined(__linux__)
    FILE* infos = std::fopen("/proc/meminfo", "r");
    if (infos == nullptr) return true;
    char ligne[256];
    unsigned long long kio = 0;
    bool lu = false;
    while (!lu && std::fgets(ligne, sizeof ligne, infos) != nullptr) {
        lu = std::sscanf(ligne, "MemAvailable: %llu kB", &kio) == 1;
    }
    std::fclose(infos);
    return !lu || octets / 1024 <= kio;
#elif defined(_WIN32)
    MEMORYSTATUSEX etat;
    etat.dwLength = sizeof etat;
    return !GlobalMemoryStatusEx(&etat) || octets <= etat.ullAvailPhys;
#else
    (void)octets;
    return true;
#endif
}

// A table zeroed at once, at the first search or count rather than at start-up (the
// interface waits for the answer to "uci"), so that the process's memory stays flat from
// then on. On Linux it asks for 2 MiB pages: touching the table page by page can take a
// large share of a second in a virtual machine. Null when the memory is not to be had.
Tentree* alloue_table(size_t octets) {
    if (!memoire_disponible(octets)) return nullptr;
#if defined(__linux__)
    constexpr size_t GRANDE_PAGE = size_t{2} << 20;
    const size_t arrondi = (octets + GRANDE_PAGE - 1) / GRANDE_PAGE * GRANDE_PAGE;
    void* bloc = std::aligned_alloc(GRANDE_PAGE, arrondi);
    if (bloc != nullptr) madvise(bloc, arrondi, MADV_HUGEPAGE);
#elif defined(_WIN32)
    void* bloc = _aligned_malloc(octets, alignof(Tentree));
#else
    void* bloc = std::aligned_alloc(alignof(Tentree), (octets + 63) / 64 * 64);
#endif
    if (bloc == nullptr) return nullptr;
    std::memset(bloc, 0, octets);
    return static_cast<Tentree*>(bloc);
}

void libere_table(Tentree* bloc) {
#if defined(_WIN32)
    _aligned_free(bloc);
#else
    std::free(bloc);
#endif
}

// The key's slot, or null when there is no table. The top half of the position's hash,
// scaled to the region's size, spreads the keys evenly over a region of any size.
Tentree* place_de(const Tcle& cle) {
    if (!allocation_essayee) alloue_memoire();
    if (table == nullptr) return nullptr;
    const uint64_t h = melange(cle) >> 32;
    return &table[disposition.debut_de[cle.region] +
                  ((h * disposition.entrees_de[cle.region]) >> 32)];
}

}  // namespace

bool cle_memoire(const Techiquier* e, couleur c, int profondeur, Tgenre_memoire genre, int alpha,
                 int beta, Tcle* cle) {
    if (!cle_de_position(e, c, profondeur, genre, cle)) return false;
    fixe_fenetre(cle, alpha, beta);
    return true;
}

void fixe_fenetre(Tcle* cle, int alpha, int beta) {
    cle->mots[5] = static_cast<uint64_t>(static_cast<uint32_t>(alpha)) << 32 |
                   static_cast<uint32_t>(beta);
}

void prepare_memoire(const Tcle& cle) {
    const Tentree* entree = place_de(cle);
    if (entree != nullptr) __builtin_prefetch(entree);
}

bool cle_de_position(const Techiquier* e, couleur c, int profondeur, Tgenre_memoire genre,
                     Tcle* cle) {
    if (!encode_cases(e, cle->mots)) return false;
    const uint64_t blanches = decale(e->nb_pieces_blanches, 0);
    const uint64_t noires = decale(e->nb_pieces_noires, 0);
    const uint64_t fous_blancs = decale(e->nb_fous_blancs, 0);
    const uint64_t fous_noirs = decale(e->nb_fous_noirs, 0);
    const uint64_t grand_blanc = decale(e->grand_roque_blanc, 0);
    const uint64_t petit_blanc = decale(e->petit_roque_blanc, 0);
    const uint64_t grand_noir = decale(e->grand_roque_noir, 0);
    const uint64_t petit_noir = decale(e->petit_roque_noir, 0);
    const uint64_t ep_ligne = decale(e->ep_ligne, -1);
    // Every reader of the en passant column asks first whether ep_ligne is -1, and a move
    // that sets ep_ligne sets the column with it: without a capture the column is not read.
    const uint64_t ep_colonne = decale(e->ep_ligne >= 0 ? e->ep_colonne : -1, -1);
    const uint64_t roi_blanc_ligne = decale(e->roi_blanc_ligne, 0);
    const uint64_t roi_blanc_colonne = decale(e->roi_blanc_colonne, 0);
    const uint64_t roi_noir_ligne = decale(e->roi_noir_ligne, 0);
    const uint64_t roi_noir_colonne = decale(e->roi_noir_colonne, 0);
    const uint64_t prof = decale(profondeur, 0);
    const uint64_t hors = ((blanches | noires) >> 5) | ((fous_blancs | fous_noirs) >> 3) |
                          ((grand_blanc | petit_blanc | grand_noir | petit_noir) >> 1) |
                          ((ep_ligne | ep_colonne | roi_blanc_ligne | roi_blanc_colonne |
                            roi_noir_ligne | roi_noir_colonne) >> 4) |
                          (prof >> 6);
    cle->mots[4] = MARQUE | blanches | noires << 5 | fous_blancs << 10 | fous_noirs << 13 |
                   grand_blanc << 16 | petit_blanc << 17 | grand_noir << 18 | petit_noir << 19 |
                   ep_ligne << 20 | ep_colonne << 24 | roi_blanc_ligne << 28 |
                   roi_blanc_colonne << 32 | roi_noir_ligne << 36 | roi_noir_colonne << 40 |
                   uint64_t{c == BLANC} << 44 | prof << 45 |
                   uint64_t{genre == Tgenre_memoire::comptage} << 51 |
                   generation << BIT_GENERATION;
    cle->region = genre == Tgenre_memoire::comptage ? COMPTES
                  : profondeur <= 3                 ? PRES_DE_L_HORIZON
                                                    : LOIN_DE_L_HORIZON;
    cle->mots[5] = 0;
    return hors == 0;
}

bool trouve_en_memoire(const Tcle& cle, int* score, int64_t* valeur) {
    statistiques.recherches++;
    const Tentree* entree = place_de(cle);
    if (entree == nullptr || std::memcmp(entree->cle, cle.mots, sizeof cle.mots) != 0) return false;
    statistiques.trouvees++;
    *score = entree->score;
    *valeur = entree->valeur;
    return true;
}

void range_en_memoire(const Tcle& cle, int score, int64_t valeur) {
    statistiques.rangees++;
    Tentree* entree = place_de(cle);
    if (entree == nullptr) return;
    std::memcpy(entree->cle, cle.mots, sizeof cle.mots);
    entree->score = score;
    entree->valeur = valeur;
}

void memoire_active(bool actif) { active = actif; }

bool memoire_est_active() { return active && !sans_table; }

void vide_memoire() {
    generation = (generation + 1) % GENERATIONS;
    if (generation == 0 && table != nullptr) {
        std::memset(static_cast<void*>(table), 0, disposition.octets);
    }
}

Tstatistiques_memoire statistiques_memoire() { return statistiques; }

size_t taille_memoire() { return table == nullptr ? 0 : disposition.octets; }

void demande_taille_memoire(size_t mebioctets) {
    mebioctets = std::max<size_t>(mebioctets, 1);
    if (mebioctets == mebioctets_voulus) return;
    mebioctets_voulus = mebioctets;
    allocation_essayee = false;
    sans_table = false;
}

size_t taille_memoire_demandee() { return mebioctets_voulus; }

void plafonne_memoire(size_t octets) { plafond = octets; }

Tallocation_memoire alloue_memoire() {
    if (allocation_essayee) return Tallocation_memoire::deja_faite;
    allocation_essayee = true;
    const Tdisposition voulue = disposition_pour(mebioctets_voulus);
    if (table != nullptr && voulue.octets == disposition.octets) {
        return Tallocation_memoire::deja_faite;
    }
    Tentree* nouvelle = alloue_table(voulue.octets);
    if (nouvelle == nullptr) {
        sans_table = table == nullptr;
        return Tallocation_memoire::refusee;
    }
    sans_table = false;
    if (table != nullptr) libere_table(table);
    table = nouvelle;
    disposition = voulue;
    return Tallocation_memoire::faite;
}
