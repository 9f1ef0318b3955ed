// qvPreview - print preview for Qt applications.
// The error catalogue: the one table of error numbers and their Italian texts.
// Every layer that raises a numbered error, and qvUtilita::MessaggioErroreITA,
// read their texts here.
#include <qvpreview/Error.h>

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
    {3, "Return senza GoSub"},
    {5, "Chiamata di routine o argomento non valido"},
    {6, "Overflow"},
    {7, "Memoria esaurita"},
    {9, "Indice non compreso nell'intervallo"},
    {10, "Questa matrice è fissa o temporaneamente bloccata "},
    {11, "Divisione per zero"},
    {13, "Tipo non corrispondente"},
    {14, "Spazio stringa esaurito"},
    {16, "Espressione troppo complessa"},
    {17, "Impossibile eseguire l'operazione richiesta"},
    {18, "Interruzione dell'utente"},
    {20, "Resume senza Error"},
    {28, "Spazio dello stack esaurito"},
    {35, "Sub o Function non definita"},
    {47, "Troppe applicazioni client DLL"},
    {48, "Errore di caricamento DLL"},
    {49, "Convenzione di chiamata DLL non valida"},
    {51, "Errore interno"},
    {52, "Nome o numero di file non valido"},
    {53, "Impossibile trovare il file"},
    {54, "Modalità file non valida"},
    {55, "File già aperto"},
    {57, "Errore di I/O periferica"},
    {58, "File già esistente"},
    {59, "Lunghezza del record non valida"},
    {61, "Disco pieno"},
    {62, "Input oltre la fine del file"},
    {63, "Numero di record non valido"},
    {67, "Troppi file"},
    {68, "Periferica non disponibile"},
    {70, "Autorizzazione negata"},
    {71, "Disco non pronto"},
    {74, "Impossibile rinominare con unità diversa"},
    {75, "Errore di accesso al percorso/file"},
    {76, "Impossibile trovare il percorso "},
    {91, "Variabile oggetto o variabile del blocco With non impostata"},
    {92, "Ciclo For non inizializzato"},
    {93, "Stringa campione non valida"},
    {94, "Utilizzo non valido di Null"},
    {96, "Impossibile elaborare gli eventi dell'oggetto perché l'oggetto sta già generando eventi per il "
         "numero massimo di riceventi supportato"},
    {97, "Impossibile richiamare la funzione Friend per un oggetto che non è un'istanza della classe di "
         "definizione"},
    {98, "Una chiamata a una proprietà o a un metodo non può includere un riferimento a un oggetto privato, "
         "né come argomento né come valore restituito"},
    {321, "Formato di file non valido"},
    {322, "Impossibile creare il file temporaneo necessario"},
    {325, "Formato non valido nel file di risorse"},
    {380, "Valore di proprietà non valido"},
    {381, "Indice della matrice di proprietà non valido"},
    {382, "Set non supportata in fase di esecuzione"},
    {383, "Set non supportata (proprietà di sola lettura)"},
    {385, "Necessario indice della matrice di proprietà"},
    {387, "Set non ammessa"},
    {393, "Get non supportata in fase di esecuzione"},
    {394, "Get non supportata (proprietà di sola scrittura)"},
    {422, "Impossibile trovare la proprietà"},
    {423, "Impossibile trovare proprietà o metodo"},
    {424, "Necessario oggetto"},
    {429, "Il componente ActiveX non può creare l'oggetto"},
    {430, "La classe non supporta l'automazione o l'interfaccia prevista."},
    {432, "Impossibile trovare nome di file o nome di classe durante un'operazione di automazione"},
    {438, "Proprietà o metodo non supportati dall'oggetto"},
    {440, "Errore di automazione"},
    {442, "Il collegamento alla libreria dei tipi o alla libreria degli oggetti per il processo remoto non "
          "è più disponibile. Scegliere OK per rimuovere il riferimento."},
    {443, "L'oggetto di automazione non ha un valore predefinito"},
    {445, "Azione non valida per l'oggetto"},
    {446, "L'oggetto non supporta argomenti predefiniti"},
    {447, "L'oggetto non supporta le impostazioni internazionali correnti"},
    {448, "Impossibile trovare argomento predefinito"},
    {449, "Argomento non facoltativo"},
    {450, "Numero errato di argomenti o assegnazione di proprietà non valida"},
    {451, "La routine Property Let non è stata definita e la routine Property Get non ha restituito un "
          "oggetto"},
    {452, "Ordinale non valido"},
    {453, "Impossibile trovare nella DLL la funzione specificata"},
    {454, "Impossibile trovare la risorsa codice"},
    {455, "Errore di blocco risorsa codice"},
    {457, "Questa chiave è già associata ad un elemento dell'insieme"},
    {458, "La variabile utilizza un tipo di automazione non supportato da questa piattaforma"},
    {459, "L'oggetto o la classe non supporta il gruppo di eventi"},
    {460, "Formato degli Appunti non valido"},
    {461, "Impossibile trovare il metodo o il membro dei dati"},
    {462, "Il computer server remoto non esiste o non è disponibile."},
    {463, "Classe non registrata nel computer locale."},
    {481, "Immagine non valida"},
    {482, "Errore della stampante"},
    {735, "Impossibile salvare il file in TEMP"},
    {744, "Impossibile trovare il testo di ricerca"},
    {746, "Sostituzioni troppo lunghe"},
    // The component's own numbers.
    {1001, "Impossibile stampare..."},
    {6000, "impossibile leggere le informazioni sull'immagine."},
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
    return entry ? QString::fromUtf8(entry->text) : QString();
}

bool hasErrorText(int number)
{
    return find(number) != nullptr;
}

} // namespace qv
