// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The error catalogue: the one table of error numbers and their Italian texts.
// Every layer that raises a numbered error, and qvUtilita::MessaggioErroreITA,
// read their texts here. The Italian texts are the source texts of the
// translation context "qv::Error": a lookup gives the installed catalogue's
// translation (qv::installTranslator), else the Italian text as it stands.
#include <qvpreview/Error.h>

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace qv {

namespace {

struct Entry
{
    int number;
    const char *text; // UTF-8
};

// Sorted by number, for the binary search below.
constexpr Entry Catalogue[] = {
    {3, QT_TRANSLATE_NOOP("qv::Error", "Return senza GoSub")},
    {5, QT_TRANSLATE_NOOP("qv::Error", "Chiamata di routine o argomento non valido")},
    {6, QT_TRANSLATE_NOOP("qv::Error", "Overflow")},
    {7, QT_TRANSLATE_NOOP("qv::Error", "Memoria esaurita")},
    {9, QT_TRANSLATE_NOOP("qv::Error", "Indice non compreso nell'intervallo")},
    {10, QT_TRANSLATE_NOOP("qv::Error", "Questa matrice è fissa o temporaneamente bloccata ")},
    {11, QT_TRANSLATE_NOOP("qv::Error", "Divisione per zero")},
    {13, QT_TRANSLATE_NOOP("qv::Error", "Tipo non corrispondente")},
    {14, QT_TRANSLATE_NOOP("qv::Error", "Spazio stringa esaurito")},
    {16, QT_TRANSLATE_NOOP("qv::Error", "Espressione troppo complessa")},
    {17, QT_TRANSLATE_NOOP("qv::Error", "Impossibile eseguire l'operazione richiesta")},
    {18, QT_TRANSLATE_NOOP("qv::Error", "Interruzione dell'utente")},
    {20, QT_TRANSLATE_NOOP("qv::Error", "Resume senza Error")},
    {28, QT_TRANSLATE_NOOP("qv::Error", "Spazio dello stack esaurito")},
    {35, QT_TRANSLATE_NOOP("qv::Error", "Sub o Function non definita")},
    {47, QT_TRANSLATE_NOOP("qv::Error", "Troppe applicazioni client DLL")},
    {48, QT_TRANSLATE_NOOP("qv::Error", "Errore di caricamento DLL")},
    {49, QT_TRANSLATE_NOOP("qv::Error", "Convenzione di chiamata DLL non valida")},
    {51, QT_TRANSLATE_NOOP("qv::Error", "Errore interno")},
    {52, QT_TRANSLATE_NOOP("qv::Error", "Nome o numero di file non valido")},
    {53, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare il file")},
    {54, QT_TRANSLATE_NOOP("qv::Error", "Modalità file non valida")},
    {55, QT_TRANSLATE_NOOP("qv::Error", "File già aperto")},
    {57, QT_TRANSLATE_NOOP("qv::Error", "Errore di I/O periferica")},
    {58, QT_TRANSLATE_NOOP("qv::Error", "File già esistente")},
    {59, QT_TRANSLATE_NOOP("qv::Error", "Lunghezza del record non valida")},
    {61, QT_TRANSLATE_NOOP("qv::Error", "Disco pieno")},
    {62, QT_TRANSLATE_NOOP("qv::Error", "Input oltre la fine del file")},
    {63, QT_TRANSLATE_NOOP("qv::Error", "Numero di record non valido")},
    {67, QT_TRANSLATE_NOOP("qv::Error", "Troppi file")},
    {68, QT_TRANSLATE_NOOP("qv::Error", "Periferica non disponibile")},
    {70, QT_TRANSLATE_NOOP("qv::Error", "Autorizzazione negata")},
    {71, QT_TRANSLATE_NOOP("qv::Error", "Disco non pronto")},
    {74, QT_TRANSLATE_NOOP("qv::Error", "Impossibile rinominare con unità diversa")},
    {75, QT_TRANSLATE_NOOP("qv::Error", "Errore di accesso al percorso/file")},
    {76, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare il percorso ")},
    {91, QT_TRANSLATE_NOOP("qv::Error", "Variabile oggetto o variabile del blocco With non impostata")},
    {92, QT_TRANSLATE_NOOP("qv::Error", "Ciclo For non inizializzato")},
    {93, QT_TRANSLATE_NOOP("qv::Error", "Stringa campione non valida")},
    {94, QT_TRANSLATE_NOOP("qv::Error", "Utilizzo non valido di Null")},
    {96,
     QT_TRANSLATE_NOOP("qv::Error",
                       "Impossibile elaborare gli eventi dell'oggetto perché l'oggetto sta già generando eventi per il "
                       "numero massimo di riceventi supportato")},
    {97,
     QT_TRANSLATE_NOOP("qv::Error",
                       "Impossibile richiamare la funzione Friend per un oggetto che non è un'istanza della classe di "
                       "definizione")},
    {98, QT_TRANSLATE_NOOP(
             "qv::Error",
             "Una chiamata a una proprietà o a un metodo non può includere un riferimento a un oggetto privato, "
             "né come argomento né come valore restituito")},
    {321, QT_TRANSLATE_NOOP("qv::Error", "Formato di file non valido")},
    {322, QT_TRANSLATE_NOOP("qv::Error", "Impossibile creare il file temporaneo necessario")},
    {325, QT_TRANSLATE_NOOP("qv::Error", "Formato non valido nel file di risorse")},
    {380, QT_TRANSLATE_NOOP("qv::Error", "Valore di proprietà non valido")},
    {381, QT_TRANSLATE_NOOP("qv::Error", "Indice della matrice di proprietà non valido")},
    {382, QT_TRANSLATE_NOOP("qv::Error", "Set non supportata in fase di esecuzione")},
    {383, QT_TRANSLATE_NOOP("qv::Error", "Set non supportata (proprietà di sola lettura)")},
    {385, QT_TRANSLATE_NOOP("qv::Error", "Necessario indice della matrice di proprietà")},
    {387, QT_TRANSLATE_NOOP("qv::Error", "Set non ammessa")},
    {393, QT_TRANSLATE_NOOP("qv::Error", "Get non supportata in fase di esecuzione")},
    {394, QT_TRANSLATE_NOOP("qv::Error", "Get non supportata (proprietà di sola scrittura)")},
    {422, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare la proprietà")},
    {423, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare proprietà o metodo")},
    {424, QT_TRANSLATE_NOOP("qv::Error", "Necessario oggetto")},
    {429, QT_TRANSLATE_NOOP("qv::Error", "Il componente ActiveX non può creare l'oggetto")},
    {430, QT_TRANSLATE_NOOP("qv::Error", "La classe non supporta l'automazione o l'interfaccia prevista.")},
    {432, QT_TRANSLATE_NOOP("qv::Error",
                            "Impossibile trovare nome di file o nome di classe durante un'operazione di automazione")},
    {438, QT_TRANSLATE_NOOP("qv::Error", "Proprietà o metodo non supportati dall'oggetto")},
    {440, QT_TRANSLATE_NOOP("qv::Error", "Errore di automazione")},
    {442,
     QT_TRANSLATE_NOOP(
         "qv::Error", "Il collegamento alla libreria dei tipi o alla libreria degli oggetti per il processo remoto non "
                      "è più disponibile. Scegliere OK per rimuovere il riferimento.")},
    {443, QT_TRANSLATE_NOOP("qv::Error", "L'oggetto di automazione non ha un valore predefinito")},
    {445, QT_TRANSLATE_NOOP("qv::Error", "Azione non valida per l'oggetto")},
    {446, QT_TRANSLATE_NOOP("qv::Error", "L'oggetto non supporta argomenti predefiniti")},
    {447, QT_TRANSLATE_NOOP("qv::Error", "L'oggetto non supporta le impostazioni internazionali correnti")},
    {448, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare argomento predefinito")},
    {449, QT_TRANSLATE_NOOP("qv::Error", "Argomento non facoltativo")},
    {450, QT_TRANSLATE_NOOP("qv::Error", "Numero errato di argomenti o assegnazione di proprietà non valida")},
    {451,
     QT_TRANSLATE_NOOP("qv::Error",
                       "La routine Property Let non è stata definita e la routine Property Get non ha restituito un "
                       "oggetto")},
    {452, QT_TRANSLATE_NOOP("qv::Error", "Ordinale non valido")},
    {453, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare nella DLL la funzione specificata")},
    {454, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare la risorsa codice")},
    {455, QT_TRANSLATE_NOOP("qv::Error", "Errore di blocco risorsa codice")},
    {457, QT_TRANSLATE_NOOP("qv::Error", "Questa chiave è già associata ad un elemento dell'insieme")},
    {458, QT_TRANSLATE_NOOP("qv::Error",
                            "La variabile utilizza un tipo di automazione non supportato da questa piattaforma")},
    {459, QT_TRANSLATE_NOOP("qv::Error", "L'oggetto o la classe non supporta il gruppo di eventi")},
    {460, QT_TRANSLATE_NOOP("qv::Error", "Formato degli Appunti non valido")},
    {461, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare il metodo o il membro dei dati")},
    {462, QT_TRANSLATE_NOOP("qv::Error", "Il computer server remoto non esiste o non è disponibile.")},
    {463, QT_TRANSLATE_NOOP("qv::Error", "Classe non registrata nel computer locale.")},
    {481, QT_TRANSLATE_NOOP("qv::Error", "Immagine non valida")},
    {482, QT_TRANSLATE_NOOP("qv::Error", "Errore della stampante")},
    {735, QT_TRANSLATE_NOOP("qv::Error", "Impossibile salvare il file in TEMP")},
    {744, QT_TRANSLATE_NOOP("qv::Error", "Impossibile trovare il testo di ricerca")},
    {746, QT_TRANSLATE_NOOP("qv::Error", "Sostituzioni troppo lunghe")},
    // The component's own numbers.
    {1001, QT_TRANSLATE_NOOP("qv::Error", "Impossibile stampare...")},
    {6000, QT_TRANSLATE_NOOP("qv::Error", "impossibile leggere le informazioni sull'immagine.")},
};

static_assert(std::is_sorted(std::begin(Catalogue), std::end(Catalogue),
                             [](const Entry &a, const Entry &b) { return a.number < b.number; }),
              "the catalogue is searched by number");

const Entry *find(int number)
{
    const auto it = std::lower_bound(std::begin(Catalogue), std::end(Catalogue), number,
                                     [](const Entry &e, int n) { return e.number < n; });
    return it != std::end(Catalogue) && it->number == number ? it : nullptr;
}

} // namespace

QString errorText(int number)
{
    const Entry *entry = find(number);
    return entry ? QCoreApplication::translate("qv::Error", entry->text) : QString();
}

bool hasErrorText(int number)
{
    return find(number) != nullptr;
}

} // namespace qv
