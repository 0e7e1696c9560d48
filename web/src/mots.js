// SPDX-License-Identifier: GPL-3.0-or-later
// The page's words, in French and in English; the engine's own lines stay as they are. A key
// missing from the language shown is reported as an error on the console (the page's tests
// fail on one) and shows as ⟦key⟧.

export const MOTS = {
  fr: {
    titre_page: 'Quorvik : jouer et analyser',
    langue: 'Langue',
    echiquier: 'Échiquier',
    moteur_chargement: 'Moteur : chargement…',
    moteur_reflexion: 'Quorvik réfléchit…',
    moteur_analyse: 'Moteur : analyse',
    moteur_repos: 'Moteur : prêt',
    moteur_erreur: 'Moteur arrêté, la partie est gardée',
    relancer: 'Relancer le moteur',
    barre_titre: 'Évaluation (part des blancs)',
    navigation: 'Parcourir la partie',
    aller_debut: 'Au début (Début)',
    aller_avant: 'Coup précédent (←)',
    aller_apres: 'Coup suivant (→)',
    aller_fin: 'À la fin (Fin)',
    revenir: 'Revenir à la partie',
    retour_texte: 'Position après {coup} ; la partie en est à {total} demi-coups.',
    depart: 'la position de départ',
    partie: 'Partie',
    nouvelle: 'Nouvelle partie',
    nouvelle_faite: 'Nouvelle partie.',
    reprendre: 'Reprendre un coup',
    retourner: 'Retourner l’échiquier',
    vous_jouez: 'Vous jouez',
    les_blancs: 'les blancs',
    les_noirs: 'les noirs',
    force: 'Force de Quorvik',
    niveaux: 'Niveaux mesurés',
    niveau: 'Niveau {elo} Elo',
    pleine_force: 'Pleine force',
    par_coup: '{s} s par coup',
    saisie: 'Jouer un coup au clavier',
    saisie_exemple: 'Nf3 ou g1f3',
    jouer: 'Jouer',
    coup_refuse: 'Coup refusé : {coup}.',
    coup_illegal_moteur: 'Quorvik a répondu par un coup illégal ({coup}) : il est refusé.',
    aux_blancs: 'Aux blancs',
    aux_noirs: 'Aux noirs',
    annonce_analyse: 'Analyse. {trait} de jouer.',
    annonce_passee: 'Position passée. {trait} de jouer.',
    annonce_moteur: '{trait} : Quorvik joue.',
    annonce_joueur: '{trait} : à vous de jouer.',
    analyse: 'Analyse',
    lignes: 'Lignes',
    lignes_moteur: 'Lignes du moteur',
    analyser: 'Analyser',
    arreter_analyse: 'Arrêter l’analyse',
    profondeur: 'Profondeur',
    vitesse: 'Vitesse',
    vitesse_m: '{n} M n/s',
    vitesse_k: '{n} k n/s',
    analyse_en_cours: 'Analyse en cours…',
    analyse_arretee: 'Analyse arrêtée.',
    analyse_fin: 'Partie terminée : rien à analyser.',
    coups: 'Coups',
    coups_de_la_partie: 'Coups de la partie',
    aucun_coup: 'Aucun coup.',
    position_fen: 'Position (FEN)',
    position_actuelle: 'Position affichée',
    partir_position: 'Partir d’une position',
    poser: 'Poser',
    position_posee: 'Position posée.',
    copier_pgn: 'Copier le PGN',
    telecharger_pgn: 'Télécharger le PGN',
    pgn_a_importer: 'PGN à importer',
    importer_pgn: 'Importer ce PGN',
    ouvrir_pgn: 'Ouvrir un fichier PGN…',
    pgn_copie: 'PGN copié dans le presse-papiers.',
    pgn_dans_le_champ: 'PGN placé dans le champ ci-dessous et sélectionné : copiez-le.',
    pgn_telecharge: 'PGN téléchargé.',
    pgn_importe: 'Partie importée ({n} demi-coups).',
    pgn_coup_illegal: 'PGN refusé : le coup {coup} est illégal.',
    pgn_illisible: 'PGN refusé : le texte n’est pas un PGN lisible.',
    pgn_depart_refuse: 'PGN refusé (position de départ) : {raison}.',
    journal: 'Journal UCI',
    journal_titre: 'Lignes échangées avec le moteur',
    pied_moteur: 'Quorvik, moteur d’échecs libre',
    pied_echiquier: 'Échiquier :',
    pied_regles: 'règles :',
    promotion_titre: 'Le pion devient :',
    annuler: 'Annuler',
    piece_dame: 'Dame',
    piece_tour: 'Tour',
    piece_fou: 'Fou',
    piece_cavalier: 'Cavalier',
    fin_mat_noirs: 'Échec et mat : les noirs gagnent.',
    fin_mat_blancs: 'Échec et mat : les blancs gagnent.',
    fin_pat: 'Pat : partie nulle.',
    fin_materiel: 'Nulle : matériel insuffisant pour mater.',
    fin_repetition: 'Nulle par triple répétition.',
    fin_cinquante: 'Nulle par la règle des cinquante coups.',
    fen_refusee: 'FEN refusée : {raison}.',
    fen_champs_manquants: 'il faut au moins la position et le camp au trait',
    fen_champs_en_trop: 'plus de six champs',
    fen_seize: 'plus de seize pièces dans un camp',
    fen_echec_sans_trait: 'le camp qui n’a pas le trait est en échec',
    fen_numero: 'le numéro du coup doit être un entier positif',
    fen_demi_coups: 'le compteur des demi-coups doit être un entier positif ou nul',
    fen_en_passant: 'la case en passant est mal écrite',
    fen_en_passant_trait: 'la case en passant ne va pas avec le camp au trait',
    fen_roques: 'les droits de roque sont mal écrits',
    fen_trait: 'le camp au trait doit être w ou b',
    fen_rangees: 'il faut huit rangées séparées par /',
    fen_chiffres: 'deux chiffres se suivent dans une rangée',
    fen_piece: 'une pièce inconnue',
    fen_cases: 'une rangée n’a pas huit cases',
    fen_sans_roi_blanc: 'il manque le roi blanc',
    fen_sans_roi_noir: 'il manque le roi noir',
    fen_rois_blancs: 'plus d’un roi blanc',
    fen_rois_noirs: 'plus d’un roi noir',
    fen_pion_bord: 'un pion sur la première ou la dernière rangée',
  },
  en: {
    titre_page: 'Quorvik: play and analyse',
    langue: 'Language',
    echiquier: 'Board',
    moteur_chargement: 'Engine: loading…',
    moteur_reflexion: 'Quorvik is thinking…',
    moteur_analyse: 'Engine: analysing',
    moteur_repos: 'Engine: ready',
    moteur_erreur: 'Engine stopped, the game is kept',
    relancer: 'Restart the engine',
    barre_titre: 'Evaluation (white’s share)',
    navigation: 'Walk through the game',
    aller_debut: 'To the start (Home)',
    aller_avant: 'Previous move (←)',
    aller_apres: 'Next move (→)',
    aller_fin: 'To the end (End)',
    revenir: 'Back to the game',
    retour_texte: 'Position after {coup}; the game is {total} half-moves long.',
    depart: 'the starting position',
    partie: 'Game',
    nouvelle: 'New game',
    nouvelle_faite: 'New game.',
    reprendre: 'Take back a move',
    retourner: 'Flip the board',
    vous_jouez: 'You play',
    les_blancs: 'white',
    les_noirs: 'black',
    force: 'Quorvik’s strength',
    niveaux: 'Measured levels',
    niveau: 'Level {elo} Elo',
    pleine_force: 'Full strength',
    par_coup: '{s} s per move',
    saisie: 'Type a move',
    saisie_exemple: 'Nf3 or g1f3',
    jouer: 'Play',
    coup_refuse: 'Move refused: {coup}.',
    coup_illegal_moteur: 'Quorvik answered with an illegal move ({coup}): it is refused.',
    aux_blancs: 'White',
    aux_noirs: 'Black',
    annonce_analyse: 'Analysis. {trait} to move.',
    annonce_passee: 'Earlier position. {trait} to move.',
    annonce_moteur: '{trait} to move: Quorvik plays.',
    annonce_joueur: '{trait} to move: your turn.',
    analyse: 'Analysis',
    lignes: 'Lines',
    lignes_moteur: 'The engine’s lines',
    analyser: 'Analyse',
    arreter_analyse: 'Stop the analysis',
    profondeur: 'Depth',
    vitesse: 'Speed',
    vitesse_m: '{n} M n/s',
    vitesse_k: '{n} k n/s',
    analyse_en_cours: 'Analysing…',
    analyse_arretee: 'Analysis stopped.',
    analyse_fin: 'Game over: nothing to analyse.',
    coups: 'Moves',
    coups_de_la_partie: 'Moves of the game',
    aucun_coup: 'No move yet.',
    position_fen: 'Position (FEN)',
    position_actuelle: 'Position shown',
    partir_position: 'Start from a position',
    poser: 'Set up',
    position_posee: 'Position set up.',
    copier_pgn: 'Copy the PGN',
    telecharger_pgn: 'Download the PGN',
    pgn_a_importer: 'PGN to import',
    importer_pgn: 'Import this PGN',
    ouvrir_pgn: 'Open a PGN file…',
    pgn_copie: 'PGN copied to the clipboard.',
    pgn_dans_le_champ: 'PGN put in the field below and selected: copy it.',
    pgn_telecharge: 'PGN downloaded.',
    pgn_importe: 'Game imported ({n} half-moves).',
    pgn_coup_illegal: 'PGN refused: the move {coup} is illegal.',
    pgn_illisible: 'PGN refused: the text is not a readable PGN.',
    pgn_depart_refuse: 'PGN refused (starting position): {raison}.',
    journal: 'UCI log',
    journal_titre: 'Lines exchanged with the engine',
    pied_moteur: 'Quorvik, a free chess engine',
    pied_echiquier: 'Board:',
    pied_regles: 'rules:',
    promotion_titre: 'The pawn becomes:',
    annuler: 'Cancel',
    piece_dame: 'Queen',
    piece_tour: 'Rook',
    piece_fou: 'Bishop',
    piece_cavalier: 'Knight',
    fin_mat_noirs: 'Checkmate: black wins.',
    fin_mat_blancs: 'Checkmate: white wins.',
    fin_pat: 'Stalemate: draw.',
    fin_materiel: 'Draw: not enough material to mate.',
    fin_repetition: 'Draw by threefold repetition.',
    fin_cinquante: 'Draw by the fifty-move rule.',
    fen_refusee: 'FEN refused: {raison}.',
    fen_champs_manquants: 'it needs at least the position and the side to move',
    fen_champs_en_trop: 'more than six fields',
    fen_seize: 'more than sixteen pieces on one side',
    fen_echec_sans_trait: 'the side not to move is in check',
    fen_numero: 'the move number must be a positive integer',
    fen_demi_coups: 'the half-move clock must be a non-negative integer',
    fen_en_passant: 'the en passant square is badly written',
    fen_en_passant_trait: 'the en passant square does not fit the side to move',
    fen_roques: 'the castling rights are badly written',
    fen_trait: 'the side to move must be w or b',
    fen_rangees: 'it needs eight ranks separated by /',
    fen_chiffres: 'two digits follow each other in a rank',
    fen_piece: 'an unknown piece',
    fen_cases: 'a rank does not have eight squares',
    fen_sans_roi_blanc: 'the white king is missing',
    fen_sans_roi_noir: 'the black king is missing',
    fen_rois_blancs: 'more than one white king',
    fen_rois_noirs: 'more than one black king',
    fen_pion_bord: 'a pawn on the first or last rank',
  },
};

export const LANGUES = Object.keys(MOTS);
let courante = 'fr';

export const langue = () => courante;

// French for a reader whose browser puts French first, English for everyone else.
export function langue_du_navigateur(preferees) {
  for (const l of preferees) {
    const code = String(l).toLowerCase().split('-')[0];
    if (LANGUES.includes(code)) return code;
  }
  return 'en';
}

export function choisir_langue(l) {
  courante = LANGUES.includes(l) ? l : 'en';
}

// The text of `cle` in the current language, its {names} replaced by `valeurs`.
export function t(cle, valeurs = {}) {
  const texte = MOTS[courante][cle];
  if (texte === undefined) {
    console.error(`no ${courante} text for "${cle}"`);
    return `⟦${cle}⟧`;
  }
  return texte.replace(/\{(\w+)\}/g, (tout, nom) => (nom in valeurs ? String(valeurs[nom]) : tout));
}

// A number as the language writes it: "0,35" in French, "0.35" in English.
export function nombre(v, decimales) {
  const texte = v.toFixed(decimales);
  return courante === 'fr' ? texte.replace('.', ',') : texte;
}

// Every element's words: data-mot names its text, data-mot-attr lists attribute=name pairs for
// attributes; and the page's own language.
export function appliquer(racine) {
  racine.documentElement?.setAttribute('lang', courante);
  for (const e of racine.querySelectorAll('[data-mot]')) e.textContent = t(e.dataset.mot);
  for (const e of racine.querySelectorAll('[data-mot-attr]')) {
    for (const paire of e.dataset.motAttr.split(',')) {
      const [attribut, cle] = paire.split('=');
      e.setAttribute(attribut, t(cle));
    }
  }
}
