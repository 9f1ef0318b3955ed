<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>qv::CPalette</name>
    <message>
        <source>file &quot;%1&quot;, riga %2</source>
        <translation>file &quot;%1&quot;, line %2</translation>
    </message>
    <message>
        <source>file &quot;%1&quot;</source>
        <translation>file &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>qv::Error</name>
    <message>
        <source>Return senza GoSub</source>
        <translation>Return without GoSub</translation>
    </message>
    <message>
        <source>Chiamata di routine o argomento non valido</source>
        <translation>Invalid procedure call or argument</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Overflow</translation>
    </message>
    <message>
        <source>Memoria esaurita</source>
        <translation>Out of memory</translation>
    </message>
    <message>
        <source>Indice non compreso nell&apos;intervallo</source>
        <translation>Subscript out of range</translation>
    </message>
    <message>
        <source>Questa matrice è fissa o temporaneamente bloccata </source>
        <translation>This array is fixed or temporarily locked </translation>
    </message>
    <message>
        <source>Divisione per zero</source>
        <translation>Division by zero</translation>
    </message>
    <message>
        <source>Tipo non corrispondente</source>
        <translation>Type mismatch</translation>
    </message>
    <message>
        <source>Spazio stringa esaurito</source>
        <translation>Out of string space</translation>
    </message>
    <message>
        <source>Espressione troppo complessa</source>
        <translation>Expression too complex</translation>
    </message>
    <message>
        <source>Impossibile eseguire l&apos;operazione richiesta</source>
        <translation>Can&apos;t perform requested operation</translation>
    </message>
    <message>
        <source>Interruzione dell&apos;utente</source>
        <translation>User interrupt occurred</translation>
    </message>
    <message>
        <source>Resume senza Error</source>
        <translation>Resume without error</translation>
    </message>
    <message>
        <source>Spazio dello stack esaurito</source>
        <translation>Out of stack space</translation>
    </message>
    <message>
        <source>Sub o Function non definita</source>
        <translation>Sub or Function not defined</translation>
    </message>
    <message>
        <source>Troppe applicazioni client DLL</source>
        <translation>Too many DLL application clients</translation>
    </message>
    <message>
        <source>Errore di caricamento DLL</source>
        <translation>Error in loading DLL</translation>
    </message>
    <message>
        <source>Convenzione di chiamata DLL non valida</source>
        <translation>Bad DLL calling convention</translation>
    </message>
    <message>
        <source>Errore interno</source>
        <translation>Internal error</translation>
    </message>
    <message>
        <source>Nome o numero di file non valido</source>
        <translation>Bad file name or number</translation>
    </message>
    <message>
        <source>Impossibile trovare il file</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>Modalità file non valida</source>
        <translation>Bad file mode</translation>
    </message>
    <message>
        <source>File già aperto</source>
        <translation>File already open</translation>
    </message>
    <message>
        <source>Errore di I/O periferica</source>
        <translation>Device I/O error</translation>
    </message>
    <message>
        <source>File già esistente</source>
        <translation>File already exists</translation>
    </message>
    <message>
        <source>Lunghezza del record non valida</source>
        <translation>Bad record length</translation>
    </message>
    <message>
        <source>Disco pieno</source>
        <translation>Disk full</translation>
    </message>
    <message>
        <source>Input oltre la fine del file</source>
        <translation>Input past end of file</translation>
    </message>
    <message>
        <source>Numero di record non valido</source>
        <translation>Bad record number</translation>
    </message>
    <message>
        <source>Troppi file</source>
        <translation>Too many files</translation>
    </message>
    <message>
        <source>Periferica non disponibile</source>
        <translation>Device unavailable</translation>
    </message>
    <message>
        <source>Autorizzazione negata</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>Disco non pronto</source>
        <translation>Disk not ready</translation>
    </message>
    <message>
        <source>Impossibile rinominare con unità diversa</source>
        <translation>Can&apos;t rename with different drive</translation>
    </message>
    <message>
        <source>Errore di accesso al percorso/file</source>
        <translation>Path/File access error</translation>
    </message>
    <message>
        <source>Impossibile trovare il percorso </source>
        <translation>Path not found </translation>
    </message>
    <message>
        <source>Variabile oggetto o variabile del blocco With non impostata</source>
        <translation>Object variable or With block variable not set</translation>
    </message>
    <message>
        <source>Ciclo For non inizializzato</source>
        <translation>For loop not initialized</translation>
    </message>
    <message>
        <source>Stringa campione non valida</source>
        <translation>Invalid pattern string</translation>
    </message>
    <message>
        <source>Utilizzo non valido di Null</source>
        <translation>Invalid use of Null</translation>
    </message>
    <message>
        <source>Impossibile elaborare gli eventi dell&apos;oggetto perché l&apos;oggetto sta già generando eventi per il numero massimo di riceventi supportato</source>
        <translation>Unable to sink events of object because the object is already firing events to the maximum number of event receivers that it supports</translation>
    </message>
    <message>
        <source>Impossibile richiamare la funzione Friend per un oggetto che non è un&apos;istanza della classe di definizione</source>
        <translation>Can&apos;t call Friend function on object which is not an instance of defining class</translation>
    </message>
    <message>
        <source>Una chiamata a una proprietà o a un metodo non può includere un riferimento a un oggetto privato, né come argomento né come valore restituito</source>
        <translation>A property or method call cannot include a reference to a private object, either as an argument or as a return value</translation>
    </message>
    <message>
        <source>Formato di file non valido</source>
        <translation>Invalid file format</translation>
    </message>
    <message>
        <source>Impossibile creare il file temporaneo necessario</source>
        <translation>Can&apos;t create necessary temporary file</translation>
    </message>
    <message>
        <source>Formato non valido nel file di risorse</source>
        <translation>Invalid format in resource file</translation>
    </message>
    <message>
        <source>Valore di proprietà non valido</source>
        <translation>Invalid property value</translation>
    </message>
    <message>
        <source>Indice della matrice di proprietà non valido</source>
        <translation>Invalid property array index</translation>
    </message>
    <message>
        <source>Set non supportata in fase di esecuzione</source>
        <translation>Set not supported at runtime</translation>
    </message>
    <message>
        <source>Set non supportata (proprietà di sola lettura)</source>
        <translation>Set not supported (read-only property)</translation>
    </message>
    <message>
        <source>Necessario indice della matrice di proprietà</source>
        <translation>Need property array index</translation>
    </message>
    <message>
        <source>Set non ammessa</source>
        <translation>Set not permitted</translation>
    </message>
    <message>
        <source>Get non supportata in fase di esecuzione</source>
        <translation>Get not supported at runtime</translation>
    </message>
    <message>
        <source>Get non supportata (proprietà di sola scrittura)</source>
        <translation>Get not supported (write-only property)</translation>
    </message>
    <message>
        <source>Impossibile trovare la proprietà</source>
        <translation>Property not found</translation>
    </message>
    <message>
        <source>Impossibile trovare proprietà o metodo</source>
        <translation>Property or method not found</translation>
    </message>
    <message>
        <source>Necessario oggetto</source>
        <translation>Object required</translation>
    </message>
    <message>
        <source>Il componente ActiveX non può creare l&apos;oggetto</source>
        <translation>ActiveX component can&apos;t create object</translation>
    </message>
    <message>
        <source>La classe non supporta l&apos;automazione o l&apos;interfaccia prevista.</source>
        <translation>Class does not support Automation or does not support expected interface.</translation>
    </message>
    <message>
        <source>Impossibile trovare nome di file o nome di classe durante un&apos;operazione di automazione</source>
        <translation>File name or class name not found during Automation operation</translation>
    </message>
    <message>
        <source>Proprietà o metodo non supportati dall&apos;oggetto</source>
        <translation>Object doesn&apos;t support this property or method</translation>
    </message>
    <message>
        <source>Errore di automazione</source>
        <translation>Automation error</translation>
    </message>
    <message>
        <source>Il collegamento alla libreria dei tipi o alla libreria degli oggetti per il processo remoto non è più disponibile. Scegliere OK per rimuovere il riferimento.</source>
        <translation>Connection to type library or object library for remote process has been lost. Press OK to remove the reference.</translation>
    </message>
    <message>
        <source>L&apos;oggetto di automazione non ha un valore predefinito</source>
        <translation>Automation object does not have a default value</translation>
    </message>
    <message>
        <source>Azione non valida per l&apos;oggetto</source>
        <translation>Object doesn&apos;t support this action</translation>
    </message>
    <message>
        <source>L&apos;oggetto non supporta argomenti predefiniti</source>
        <translation>Object doesn&apos;t support named arguments</translation>
    </message>
    <message>
        <source>L&apos;oggetto non supporta le impostazioni internazionali correnti</source>
        <translation>Object doesn&apos;t support current locale setting</translation>
    </message>
    <message>
        <source>Impossibile trovare argomento predefinito</source>
        <translation>Named argument not found</translation>
    </message>
    <message>
        <source>Argomento non facoltativo</source>
        <translation>Argument not optional</translation>
    </message>
    <message>
        <source>Numero errato di argomenti o assegnazione di proprietà non valida</source>
        <translation>Wrong number of arguments or invalid property assignment</translation>
    </message>
    <message>
        <source>La routine Property Let non è stata definita e la routine Property Get non ha restituito un oggetto</source>
        <translation>Property Let procedure not defined and Property Get procedure did not return an object</translation>
    </message>
    <message>
        <source>Ordinale non valido</source>
        <translation>Invalid ordinal</translation>
    </message>
    <message>
        <source>Impossibile trovare nella DLL la funzione specificata</source>
        <translation>Specified DLL function not found</translation>
    </message>
    <message>
        <source>Impossibile trovare la risorsa codice</source>
        <translation>Code resource not found</translation>
    </message>
    <message>
        <source>Errore di blocco risorsa codice</source>
        <translation>Code resource lock error</translation>
    </message>
    <message>
        <source>Questa chiave è già associata ad un elemento dell&apos;insieme</source>
        <translation>This key is already associated with an element of this collection</translation>
    </message>
    <message>
        <source>La variabile utilizza un tipo di automazione non supportato da questa piattaforma</source>
        <translation>Variable uses an Automation type not supported by this platform</translation>
    </message>
    <message>
        <source>L&apos;oggetto o la classe non supporta il gruppo di eventi</source>
        <translation>Object or class does not support the set of events</translation>
    </message>
    <message>
        <source>Formato degli Appunti non valido</source>
        <translation>Invalid clipboard format</translation>
    </message>
    <message>
        <source>Impossibile trovare il metodo o il membro dei dati</source>
        <translation>Method or data member not found</translation>
    </message>
    <message>
        <source>Il computer server remoto non esiste o non è disponibile.</source>
        <translation>The remote server machine does not exist or is unavailable.</translation>
    </message>
    <message>
        <source>Classe non registrata nel computer locale.</source>
        <translation>Class not registered on local machine.</translation>
    </message>
    <message>
        <source>Immagine non valida</source>
        <translation>Invalid picture</translation>
    </message>
    <message>
        <source>Errore della stampante</source>
        <translation>Printer error</translation>
    </message>
    <message>
        <source>Impossibile salvare il file in TEMP</source>
        <translation>Can&apos;t save file to TEMP</translation>
    </message>
    <message>
        <source>Impossibile trovare il testo di ricerca</source>
        <translation>Search text not found</translation>
    </message>
    <message>
        <source>Sostituzioni troppo lunghe</source>
        <translation>Replacements too long</translation>
    </message>
    <message>
        <source>Impossibile stampare...</source>
        <translation>Unable to print...</translation>
    </message>
    <message>
        <source>impossibile leggere le informazioni sull&apos;immagine.</source>
        <translation>unable to read the picture&apos;s information.</translation>
    </message>
</context>
<context>
    <name>qv::ErrorBar</name>
    <message>
        <source>Errore di lettura</source>
        <translation>Reading error</translation>
    </message>
    <message>
        <source>Un errore incontrato leggendo il documento, e il suo file e riga</source>
        <translation>An error met while reading the document, with its file and line</translation>
    </message>
    <message>
        <source>Il testo dell&apos;errore</source>
        <translation>The error&apos;s text</translation>
    </message>
    <message>
        <source>Nascondi l&apos;errore</source>
        <translation>Hide the error</translation>
    </message>
    <message>
        <source>Chiude la barra dell&apos;errore</source>
        <translation>Closes the error bar</translation>
    </message>
</context>
<context>
    <name>qv::FileSystem</name>
    <message>
        <source>la cartella &quot;%1&quot; non esiste</source>
        <translation>the folder &quot;%1&quot; does not exist</translation>
    </message>
    <message>
        <source>il file non è stato aperto</source>
        <translation>the file was not opened</translation>
    </message>
    <message>
        <source>non è un file regolare (un dispositivo, una FIFO o un socket non viene sostituito)</source>
        <translation>not a regular file (a device, a FIFO or a socket is not replaced)</translation>
    </message>
</context>
<context>
    <name>qv::FindBar</name>
    <message>
        <source>Trova nel documento</source>
        <translation>Find in the document</translation>
    </message>
    <message>
        <source>Corrispondenza precedente (Maiusc+F3)</source>
        <translation>Previous match (Shift+F3)</translation>
    </message>
    <message>
        <source>Corrispondenza successiva (F3)</source>
        <translation>Next match (F3)</translation>
    </message>
    <message>
        <source>Chiudi (Esc)</source>
        <translation>Close (Esc)</translation>
    </message>
    <message>
        <source>Errore: %1</source>
        <translation>Error: %1</translation>
    </message>
    <message>
        <source>Ricerca in corso…</source>
        <translation>Searching…</translation>
    </message>
    <message>
        <source>Nessuna corrispondenza</source>
        <translation>No matches</translation>
    </message>
    <message>
        <source>%1 di %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>Aa</source>
        <translation>Aa</translation>
    </message>
    <message>
        <source>Maiuscole/minuscole: distingue le maiuscole</source>
        <translation>Match case: capitals and small letters differ</translation>
    </message>
    <message>
        <source>ab|</source>
        <translation>ab|</translation>
    </message>
    <message>
        <source>Parole intere: solo parole intere</source>
        <translation>Whole words: whole words only</translation>
    </message>
    <message>
        <source>%1 di oltre %2</source>
        <translation>%1 of more than %2</translation>
    </message>
    <message>
        <source>Barra di ricerca</source>
        <translation>Find bar</translation>
    </message>
    <message>
        <source>Trova un testo nel documento (Ctrl+F); Esc chiude la barra</source>
        <translation>Finds a text in the document (Ctrl+F); Esc closes the bar</translation>
    </message>
    <message>
        <source>Testo da cercare</source>
        <translation>Text to find</translation>
    </message>
    <message>
        <source>Cerca mentre si scrive: Invio o F3 va alla corrispondenza successiva, Maiusc+Invio o Maiusc+F3 alla precedente, Esc chiude la ricerca</source>
        <translation>Searches as you type: Enter or F3 goes to the next match, Shift+Enter or Shift+F3 to the previous one, Esc closes the find</translation>
    </message>
    <message>
        <source>Corrispondenza precedente</source>
        <translation>Previous match</translation>
    </message>
    <message>
        <source>Va alla corrispondenza precedente (Maiusc+F3)</source>
        <translation>Goes to the previous match (Shift+F3)</translation>
    </message>
    <message>
        <source>Corrispondenza successiva</source>
        <translation>Next match</translation>
    </message>
    <message>
        <source>Va alla corrispondenza successiva (F3)</source>
        <translation>Goes to the next match (F3)</translation>
    </message>
    <message>
        <source>Maiuscole/minuscole</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>Attivo, distingue le maiuscole dalle minuscole (barra spaziatrice)</source>
        <translation>When on, tells capitals from small letters (space bar)</translation>
    </message>
    <message>
        <source>Parole intere</source>
        <translation>Whole words</translation>
    </message>
    <message>
        <source>Attivo, trova solo parole intere (barra spaziatrice)</source>
        <translation>When on, finds whole words only (space bar)</translation>
    </message>
    <message>
        <source>Corrispondenze trovate</source>
        <translation>Matches found</translation>
    </message>
    <message>
        <source>Chiudi la ricerca</source>
        <translation>Close the find</translation>
    </message>
    <message>
        <source>Chiude la barra di ricerca e le evidenziazioni (Esc)</source>
        <translation>Closes the find bar and its highlights (Esc)</translation>
    </message>
</context>
<context>
    <name>qv::Form1</name>
    <message>
        <source>Old</source>
        <translation>Old</translation>
    </message>
    <message>
        <source>New</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Directory di SYSTEM:</source>
        <translation>SYSTEM folder:</translation>
    </message>
    <message>
        <source>Errore</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Tessavo è già aggiornato.</source>
        <translation>Tessavo is already up to date.</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>registrazione %1 fallita. Riavviare Windows e ripetere l&apos;installazione!</source>
        <translation>Registration of %1 failed. Restart the computer and run the installation again!</translation>
    </message>
    <message>
        <source>Installazione Service Pack avvenuta correttamente. Si consiglia di riavviare il personal computer.</source>
        <translation>The Service Pack was installed successfully. Restarting the computer is recommended.</translation>
    </message>
    <message>
        <source>Installazione Service Pack fallita. Riavviare Windows e ripetere l&apos;installazione!</source>
        <translation>The Service Pack installation failed. Restart the computer and run the installation again!</translation>
    </message>
    <message>
        <source>Service Pack 2.0 per Tessavo 3.x</source>
        <translation>Service Pack 2.0 for Tessavo 3.x</translation>
    </message>
    <message>
        <source>%1 appartiene al pacchetto %2: lo aggiorna il gestore dei pacchetti (apt), non Setup. Per installare la libreria in un&apos;altra cartella indicarla in QVPREVIEW_SYSTEM_DIR.</source>
        <translation>%1 belongs to the package %2: the package manager (apt) upgrades it, not Setup. To install the library in another folder, name that folder in QVPREVIEW_SYSTEM_DIR.</translation>
    </message>
</context>
<context>
    <name>qv::FrmAnteprima</name>
    <message>
        <source>Pagine &amp;affiancate	D</source>
        <translation>&amp;Facing pages	D</translation>
    </message>
    <message>
        <source>Prima pagina da &amp;sola</source>
        <translation>First page &amp;alone</translation>
    </message>
    <message>
        <source>Panoramica delle pa&amp;gine	G</source>
        <translation>Pa&amp;ge overview	G</translation>
    </message>
    <message>
        <source>Anteprima di Stampa</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>Riduci</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>Ingradisci</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>Dimensione Reale</source>
        <translation>Actual Size</translation>
    </message>
    <message>
        <source>Stampa</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Prima Pagina</source>
        <translation>First Page</translation>
    </message>
    <message>
        <source>Pagina Precedente</source>
        <translation>Previous Page</translation>
    </message>
    <message>
        <source>Numero di pagina: scrivere un numero e premere Invio</source>
        <translation>Page number: type a number and press Enter</translation>
    </message>
    <message>
        <source>Pagina Successiva</source>
        <translation>Next Page</translation>
    </message>
    <message>
        <source>Ultima Pagina</source>
        <translation>Last Page</translation>
    </message>
    <message>
        <source>Chiudi Anteprima</source>
        <translation>Close Preview</translation>
    </message>
    <message>
        <source>Massima qualità</source>
        <translation>Best quality</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Riduci</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>&amp;Ingrandisci</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>Adatta alla &amp;pagina	F</source>
        <translation>Fit to &amp;page	F</translation>
    </message>
    <message>
        <source>Adatta alla &amp;larghezza	W</source>
        <translation>Fit to &amp;width	W</translation>
    </message>
    <message>
        <source>Aggiorna</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>&amp;Stampa</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>&amp;Chiudi</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Nascondi</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>File non trovato: %1</source>
        <translation>File not found: %1</translation>
    </message>
    <message>
        <source>Pagina 1 mostrata solo in parte</source>
        <translation>Page 1 shown only in part</translation>
    </message>
    <message>
        <source>Pagina %1 mostrata solo in parte</source>
        <translation>Page %1 shown only in part</translation>
    </message>
    <message>
        <source>Il documento è stato stampato nel file PDF:
%1</source>
        <translation>The document was printed to the PDF file:
%1</translation>
    </message>
    <message>
        <source>Indice delle pagine incompleto</source>
        <translation>Page index incomplete</translation>
    </message>
    <message>
        <source>Pagina del documento</source>
        <translation>Document page</translation>
    </message>
    <message>
        <source>Una pagina alla volta: frecce, Pag su e Pag giù scorrono, Ctrl+Pag su e Ctrl+Pag giù cambiano pagina, Home e Fine vanno alla prima e all&apos;ultima, + e - cambiano lo zoom, Maiusc+F10 apre il menu della pagina, F6 passa alla parte seguente</source>
        <translation>One page at a time: the arrows, Page Up and Page Down scroll, Ctrl+Page Up and Ctrl+Page Down turn the page, Home and End go to the first and the last, + and - change the zoom, Shift+F10 opens the page&apos;s menu, F6 moves to the next part</translation>
    </message>
    <message>
        <source>Pagine continue</source>
        <translation>Continuous pages</translation>
    </message>
    <message>
        <source>Le pagine una sotto l&apos;altra: frecce, Pag su e Pag giù scorrono il documento, Ctrl+Pag su e Ctrl+Pag giù cambiano pagina, Maiusc+F10 apre il menu della pagina, F6 passa alla parte seguente</source>
        <translation>The pages one under another: the arrows, Page Up and Page Down scroll the document, Ctrl+Page Up and Ctrl+Page Down turn the page, Shift+F10 opens the page&apos;s menu, F6 moves to the next part</translation>
    </message>
    <message>
        <source>Pagine affiancate</source>
        <translation>Facing pages</translation>
    </message>
    <message>
        <source>Due pagine una accanto all&apos;altra: Ctrl+Pag su e Ctrl+Pag giù cambiano pagina, Maiusc+F10 apre il menu della pagina, F6 passa alla parte seguente</source>
        <translation>Two pages side by side: Ctrl+Page Up and Ctrl+Page Down turn the page, Shift+F10 opens the page&apos;s menu, F6 moves to the next part</translation>
    </message>
    <message>
        <source>Panoramica delle pagine</source>
        <translation>Page overview</translation>
    </message>
    <message>
        <source>Tutte le pagine in una griglia: Invio apre la pagina scelta, F6 passa alla parte seguente</source>
        <translation>All the pages in a grid: Enter opens the chosen page, F6 moves to the next part</translation>
    </message>
    <message>
        <source>Anteprima di stampa</source>
        <translation>Print preview</translation>
    </message>
    <message>
        <source>L&apos;anteprima del documento: F6 e Maiusc+F6 passano tra la pagina, le miniature, il pannello dell&apos;impaginazione, la ricerca e la barra degli strumenti; Ctrl+G porta al numero di pagina</source>
        <translation>The document&apos;s preview: F6 and Shift+F6 move between the page, the thumbnails, the layout panel, the find bar and the toolbar; Ctrl+G goes to the page number</translation>
    </message>
</context>
<context>
    <name>qv::FrmInfo</name>
    <message>
        <source>Informazioni sul PrintPreview...</source>
        <translation>About PrintPreview...</translation>
    </message>
    <message>
        <source>Il mio sito ufficiale</source>
        <translation>My official website</translation>
    </message>
    <message>
        <source>E-Mail: </source>
        <translation>E-mail: </translation>
    </message>
    <message>
        <source>Scrivimi...</source>
        <translation>Write to me...</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>anteprima di stampa</source>
        <translation>print preview</translation>
    </message>
</context>
<context>
    <name>qv::FrmOpzioni</name>
    <message>
        <source>Opzioni</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Intervallo di Stampa</source>
        <translation>Print Range</translation>
    </message>
    <message>
        <source>Tutte le Pagine</source>
        <translation>All Pages</translation>
    </message>
    <message>
        <source>Da Pagina:</source>
        <translation>From Page:</translation>
    </message>
    <message>
        <source>a:</source>
        <translation>to:</translation>
    </message>
    <message>
        <source>Pagina Corrente</source>
        <translation>Current Page</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Annulla</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>Numero Copie:</source>
        <translation>Copies:</translation>
    </message>
    <message>
        <source>&amp;Stampante:</source>
        <translation>&amp;Printer:</translation>
    </message>
    <message>
        <source>&amp;File PDF:</source>
        <translation>PDF &amp;file:</translation>
    </message>
    <message>
        <source>un nuovo file in %1</source>
        <translation>a new file in %1</translation>
    </message>
    <message>
        <source>Salva come PDF</source>
        <translation>Save as PDF</translation>
    </message>
    <message>
        <source>Documenti PDF (*.pdf)</source>
        <translation>PDF documents (*.pdf)</translation>
    </message>
</context>
<context>
    <name>qv::IndicePagine</name>
    <message>
        <source>Il file %1 contiene più interruzioni di pagina delle %2 pagine attese</source>
        <translation>The file %1 holds more page breaks than the %2 pages expected</translation>
    </message>
</context>
<context>
    <name>qv::LayoutCheck</name>
    <message>
        <source>testo</source>
        <translation>text</translation>
    </message>
    <message>
        <source>linea</source>
        <translation>line</translation>
    </message>
    <message>
        <source>riquadro</source>
        <translation>box</translation>
    </message>
    <message>
        <source>punto</source>
        <translation>point</translation>
    </message>
    <message>
        <source>cerchio</source>
        <translation>circle</translation>
    </message>
    <message>
        <source>immagine</source>
        <translation>picture</translation>
    </message>
    <message>
        <source>disegno</source>
        <translation>drawing</translation>
    </message>
    <message>
        <source>testo tagliato dal campo: %1 caratteri non stampati</source>
        <translation>text cut by its field: %1 characters not printed</translation>
    </message>
    <message>
        <source>testo più largo del campo di %1 mm</source>
        <translation>text wider than its field by %1 mm</translation>
    </message>
    <message>
        <source>carattere &quot;%1&quot; sostituito da &quot;%2&quot;</source>
        <translation>font &quot;%1&quot; replaced by &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 fuori dalla pagina</source>
        <translation>%1 off the page</translation>
    </message>
    <message>
        <source>%1 fuori dall&apos;area stampabile</source>
        <translation>%1 outside the printable area</translation>
    </message>
    <message>
        <source>nessuna segnalazione</source>
        <translation>no findings</translation>
    </message>
    <message>
        <source>1 segnalazione</source>
        <translation>1 finding</translation>
    </message>
    <message>
        <source>%1 segnalazioni</source>
        <translation>%1 findings</translation>
    </message>
    <message>
        <source>1 pagina</source>
        <translation>1 page</translation>
    </message>
    <message>
        <source>%1 pagine</source>
        <translation>%1 pages</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <extracomment>the findings (&quot;2 segnalazioni&quot;) in the pages read (&quot;3 pagine&quot;)</extracomment>
        <translation>%1 in %2</translation>
    </message>
</context>
<context>
    <name>qv::LayoutLink</name>
    <message>
        <source>Controllo dell&apos;&amp;impaginazione	Ctrl+L</source>
        <translation>&amp;Layout check	Ctrl+L</translation>
    </message>
</context>
<context>
    <name>qv::LayoutPanel</name>
    <message>
        <source>Controllo dell&apos;impaginazione</source>
        <translation>Layout check</translation>
    </message>
    <message>
        <source>Le segnalazioni pagina per pagina: Invio o un clic porta al punto della pagina</source>
        <translation>The findings page by page: Enter or a click goes to the place on the page</translation>
    </message>
    <message>
        <source>Nessun documento</source>
        <translation>No document</translation>
    </message>
    <message>
        <source>Controllo in corso...</source>
        <translation>Checking...</translation>
    </message>
    <message>
        <source>Controllo in corso: pagina %1...</source>
        <translation>Checking: page %1...</translation>
    </message>
    <message>
        <source>Controllo interrotto: %1</source>
        <translation>Check stopped: %1</translation>
    </message>
    <message>
        <source>Pagina %1 (%2)</source>
        <translation>Page %1 (%2)</translation>
    </message>
    <message>
        <source>riga %1: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>Pannello dell&apos;impaginazione</source>
        <translation>Layout panel</translation>
    </message>
    <message>
        <source>Testi tagliati, oggetti fuori dall&apos;area stampabile, immagini illeggibili e caratteri sostituiti, pagina per pagina (Ctrl+L lo mostra e lo nasconde)</source>
        <translation>Cut texts, records outside the printable area, pictures that cannot be read and substituted fonts, page by page (Ctrl+L shows and hides it)</translation>
    </message>
    <message>
        <source>Esito del controllo</source>
        <translation>Outcome of the check</translation>
    </message>
</context>
<context>
    <name>qv::LetturaDati</name>
    <message>
        <source>testo oltre %1 byte senza &quot;%2&quot;</source>
        <translation>text over %1 bytes without &quot;%2&quot;</translation>
    </message>
    <message>
        <source>immagine non caricabile &quot;&quot; (file non trovato)</source>
        <translation>picture cannot be loaded &quot;&quot; (file not found)</translation>
    </message>
    <message>
        <source>immagine non caricabile &quot;%1&quot; (%2)</source>
        <translation>picture cannot be loaded &quot;%1&quot; (%2)</translation>
    </message>
    <message>
        <source>pagina troppo grande: immagine &quot;%1&quot; (%2)</source>
        <translation>page too large: picture &quot;%1&quot; (%2)</translation>
    </message>
    <message>
        <source>posizione di inizio pagina non valida: %1</source>
        <translation>invalid page start position: %1</translation>
    </message>
    <message>
        <source>record &quot;%1&quot; non all&apos;inizio della pagina</source>
        <translation>record &quot;%1&quot; not at the start of the page</translation>
    </message>
    <message>
        <source>formato di pagina non valido</source>
        <translation>invalid page layout</translation>
    </message>
    <message>
        <source>pagina di %1 x %2 twip (ammessi da 1 a %3 per lato)</source>
        <translation>page of %1 x %2 twips (from 1 to %3 a side allowed)</translation>
    </message>
    <message>
        <source>margini %1, %2, %3, %4 twip su una pagina di %5 x %6 twip: non negativi e con spazio per disegnare</source>
        <translation>margins %1, %2, %3, %4 twips on a page of %5 x %6 twips: not negative and leaving room to draw</translation>
    </message>
    <message>
        <source>formato di pagina non valido: %1</source>
        <translation>invalid page layout: %1</translation>
    </message>
    <message>
        <source>carta di %1 x %2 twip (ammessi da 1 a %3 per lato)</source>
        <translation>paper of %1 x %2 twips (from 1 to %3 a side allowed)</translation>
    </message>
    <message>
        <source>orientamento %1 (ammessi 0 verticale, 1 orizzontale)</source>
        <translation>orientation %1 (0 portrait, 1 landscape allowed)</translation>
    </message>
    <message>
        <source>margini %1, %2, %3, %4 twip (non negativi)</source>
        <translation>margins %1, %2, %3, %4 twips (not negative)</translation>
    </message>
    <message>
        <source>campo di %1 twip con %2 caratteri tagliati (ammessi valori non negativi)</source>
        <translation>field of %1 twips with %2 characters cut (values of 0 or more allowed)</translation>
    </message>
</context>
<context>
    <name>qv::MotoreStampa</name>
    <message>
        <source>Per poter Stampare bisogna avere una stampante installata.</source>
        <translation>To print, a printer must be installed.</translation>
    </message>
    <message>
        <source>Errore sconosciuto durante la stampa</source>
        <translation>Unknown error while printing</translation>
    </message>
    <message>
        <source>Stampante non installata: &quot;%1&quot;</source>
        <translation>Printer not installed: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Nessun documento da stampare</source>
        <translation>No document to print</translation>
    </message>
    <message>
        <source>Nessuna pagina da stampare: le pagine da %1 a %2 non sono nel documento (%3 pagine)</source>
        <translation>No page to print: pages %1 to %2 are not in the document (%3 pages)</translation>
    </message>
    <message>
        <source>Impossibile stampare sul file &quot;%1&quot;: è il file di stampa da stampare</source>
        <translation>Unable to print to the file &quot;%1&quot;: it is the print file being printed</translation>
    </message>
</context>
<context>
    <name>qv::PageAnteprima</name>
    <message>
        <source>Titolo:</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>Anteprima</source>
        <translation>Preview</translation>
    </message>
</context>
<context>
    <name>qv::PageSurface</name>
    <message>
        <source>pagina troppo grande: oltre %1 MiB fra disegni e immagini</source>
        <translation>page too large: over %1 MiB of drawings and pictures</translation>
    </message>
</context>
<context>
    <name>qv::PainterRecords</name>
    <message>
        <source>valore fuori dall&apos;intervallo ammesso per %1: %2 (ammessi da %3 a %4)</source>
        <translation>value out of the range allowed for %1: %2 (allowed from %3 to %4)</translation>
    </message>
    <message>
        <source>conteggio negativo per %1: %2</source>
        <translation>negative count for %1: %2</translation>
    </message>
    <message>
        <source>troppi elementi per %1: %2 (al più %3)</source>
        <translation>too many items for %1: %2 (at most %3)</translation>
    </message>
    <message>
        <source>colore non valido per %1: %2 (ammessi da 0 a 4294967295, alfa x 16777216 + rosso x 65536 + verde x 256 + blu)</source>
        <translation>invalid colour for %1: %2 (allowed from 0 to 4294967295, alpha x 16777216 + red x 65536 + green x 256 + blue)</translation>
    </message>
    <message>
        <source>estremità della penna non valida: %1 (ammesse 0, 16, 32)</source>
        <translation>invalid pen cap: %1 (allowed 0, 16, 32)</translation>
    </message>
    <message>
        <source>giunzione della penna non valida: %1 (ammesse 0, 64, 128, 256)</source>
        <translation>invalid pen join: %1 (allowed 0, 64, 128, 256)</translation>
    </message>
    <message>
        <source>dimensione del carattere non valida: %1 (deve essere oltre 0)</source>
        <translation>invalid font size: %1 (must be above 0)</translation>
    </message>
    <message>
        <source>attesa una riga di testo che inizi con &quot;&gt;&quot;, trovato &quot;%1&quot;</source>
        <translation>expected a text line starting with &quot;&gt;&quot;, found &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>qv::PictureFile</name>
    <message>
        <source>documento SVG con un riferimento esterno non ammesso: &quot;%1&quot;</source>
        <translation>SVG document with an external reference that is not allowed: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>documento SVG non valido alla riga %1: %2</source>
        <translation>invalid SVG document at line %1: %2</translation>
    </message>
    <message>
        <source>documento SVG non leggibile</source>
        <translation>unreadable SVG document</translation>
    </message>
    <message>
        <source>file non trovato</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>non è un file</source>
        <translation>not a file</translation>
    </message>
    <message>
        <source>impossibile aprire il file: %1</source>
        <translation>unable to open the file: %1</translation>
    </message>
    <message>
        <source>dati QPicture non ammessi: solo immagini raster e documenti SVG</source>
        <translation>QPicture data not allowed: only raster images and SVG documents</translation>
    </message>
    <message>
        <source>documento SVG oltre %1 MiB</source>
        <translation>SVG document over %1 MiB</translation>
    </message>
    <message>
        <source>documento SVG di %1 byte oltre la memoria rimasta alla pagina</source>
        <translation>SVG document of %1 bytes beyond the memory left to the page</translation>
    </message>
    <message>
        <source>nessuna immagine di un formato ammesso (BMP, PNG, JPEG, ICO, GIF, SVG)</source>
        <translation>no picture of an allowed format (BMP, PNG, JPEG, ICO, GIF, SVG)</translation>
    </message>
    <message>
        <source>formato non ammesso: %1</source>
        <translation>format not allowed: %1</translation>
    </message>
    <message>
        <source>immagine di %1 x %2 pixel oltre la memoria rimasta alla pagina</source>
        <translation>picture of %1 x %2 pixels beyond the memory left to the page</translation>
    </message>
    <message>
        <source>immagine non leggibile: %1</source>
        <translation>unreadable picture: %1</translation>
    </message>
    <message>
        <source>immagine oltre la memoria rimasta alla pagina</source>
        <translation>picture beyond the memory left to the page</translation>
    </message>
</context>
<context>
    <name>qv::PreviewPrinter</name>
    <message>
        <source>un disegno troppo grande per il file di stampa</source>
        <translation>a drawing too large for the spool file</translation>
    </message>
    <message>
        <source>impossibile scrivere nel file di stampa &quot;%1&quot;</source>
        <translation>cannot write to the spool file &quot;%1&quot;</translation>
    </message>
    <message>
        <source>la stampante registra già un altro disegno</source>
        <translation>the printer is already recording another drawing</translation>
    </message>
    <message>
        <source>impossibile creare il file di stampa &quot;%1&quot;</source>
        <translation>cannot create the spool file &quot;%1&quot;</translation>
    </message>
    <message>
        <source>impossibile scrivere il file dell&apos;immagine &quot;%1&quot;</source>
        <translation>cannot write the picture file &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>qv::PreviewToolbar</name>
    <message>
        <source>Viste</source>
        <translation>Views</translation>
    </message>
    <message>
        <source>Pagine c&amp;ontinue	F8</source>
        <translation>C&amp;ontinuous pages	F8</translation>
    </message>
    <message>
        <source>&amp;Miniature	F9</source>
        <translation>&amp;Thumbnails	F9</translation>
    </message>
    <message>
        <source>Pagine continue (F8)</source>
        <translation>Continuous pages (F8)</translation>
    </message>
    <message>
        <source>Barra degli strumenti</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>Zoom, stampa, pagine e viste; ogni pulsante ha anche un tasto</source>
        <translation>Zoom, print, pages and views; every button has a key too</translation>
    </message>
    <message>
        <source>Riduci</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Riduce lo zoom di un passo (tasto meno)</source>
        <translation>Zooms out by one step (minus key)</translation>
    </message>
    <message>
        <source>Ingrandisci</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Aumenta lo zoom di un passo (tasto più)</source>
        <translation>Zooms in by one step (plus key)</translation>
    </message>
    <message>
        <source>Dimensione reale</source>
        <translation>Actual size</translation>
    </message>
    <message>
        <source>Mostra la pagina al 100% (Ctrl+0)</source>
        <translation>Shows the page at 100% (Ctrl+0)</translation>
    </message>
    <message>
        <source>Stampa</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Sceglie le pagine e le copie e stampa il documento (Ctrl+P)</source>
        <translation>Chooses the pages and copies and prints the document (Ctrl+P)</translation>
    </message>
    <message>
        <source>Prima pagina</source>
        <translation>First page</translation>
    </message>
    <message>
        <source>Va alla prima pagina (Home)</source>
        <translation>Goes to the first page (Home)</translation>
    </message>
    <message>
        <source>Pagina precedente</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>Va alla pagina precedente (Ctrl+Pag su)</source>
        <translation>Goes to the previous page (Ctrl+Page Up)</translation>
    </message>
    <message>
        <source>Pagina successiva</source>
        <translation>Next page</translation>
    </message>
    <message>
        <source>Va alla pagina successiva (Ctrl+Pag giù)</source>
        <translation>Goes to the next page (Ctrl+Page Down)</translation>
    </message>
    <message>
        <source>Ultima pagina</source>
        <translation>Last page</translation>
    </message>
    <message>
        <source>Va all&apos;ultima pagina (Fine)</source>
        <translation>Goes to the last page (End)</translation>
    </message>
    <message>
        <source>Chiudi l&apos;anteprima</source>
        <translation>Close the preview</translation>
    </message>
    <message>
        <source>Chiude la finestra dell&apos;anteprima (Esc)</source>
        <translation>Closes the preview window (Esc)</translation>
    </message>
    <message>
        <source>Pagine continue</source>
        <translation>Continuous pages</translation>
    </message>
    <message>
        <source>Mostra le pagine una sotto l&apos;altra (F8); la freccia apre il menu delle viste</source>
        <translation>Shows the pages one under another (F8); the arrow opens the views menu</translation>
    </message>
    <message>
        <source>Numero di pagina</source>
        <translation>Page number</translation>
    </message>
    <message>
        <source>La pagina mostrata e quante sono: scrivere un numero e premere Invio per andarci (Ctrl+G porta qui)</source>
        <translation>The page on show and how many there are: type a number and press Enter to go there (Ctrl+G comes here)</translation>
    </message>
    <message>
        <source>Massima qualità</source>
        <translation>Best quality</translation>
    </message>
    <message>
        <source>Attiva, mostra le pagine a colori pieni invece che in 256 colori</source>
        <translation>When on, shows the pages in full colour instead of 256 colours</translation>
    </message>
    <message>
        <source>Sito del produttore</source>
        <translation>Maker&apos;s website</translation>
    </message>
    <message>
        <source>Apre il sito del produttore nel browser (Invio)</source>
        <translation>Opens the maker&apos;s website in the browser (Enter)</translation>
    </message>
    <message>
        <source>Menu della pagina</source>
        <translation>Page menu</translation>
    </message>
    <message>
        <source>Menu delle viste</source>
        <translation>Views menu</translation>
    </message>
</context>
<context>
    <name>qv::PrintCommand</name>
    <message>
        <source>Conteggio delle pagine...</source>
        <translation>Counting the pages...</translation>
    </message>
    <message>
        <source>Conteggio delle pagine: %1 finora...</source>
        <translation>Counting the pages: %1 so far...</translation>
    </message>
    <message>
        <source>Stampa in corso...</source>
        <translation>Printing...</translation>
    </message>
    <message>
        <source>Annulla</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Stampa</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Stampa del foglio %1 di %2...</source>
        <translation>Printing sheet %1 of %2...</translation>
    </message>
</context>
<context>
    <name>qv::PrintPreview</name>
    <message>
        <source>Il file di stampa &quot;%1&quot; non è più quello del documento: è stato cancellato o sostituito</source>
        <translation>The print file &quot;%1&quot; is no longer the document&apos;s: it was deleted or replaced</translation>
    </message>
    <message>
        <source>%1 = %2 (ammessi da %3 a %4)</source>
        <translation>%1 = %2 (allowed: %3 to %4)</translation>
    </message>
    <message>
        <source>%1 = %2 (%3): ammessi da 0 a 16777215 (0xFFFFFF), rosso + 256 × verde + 65536 × blu</source>
        <translation>%1 = %2 (%3): allowed: 0 to 16777215 (0xFFFFFF), red + 256 × green + 65536 × blue</translation>
    </message>
    <message>
        <source>; un QRgb porta l&apos;alfa nel byte alto: passare QColor::fromRgb(valore)</source>
        <translation>; a QRgb carries alpha in its top byte: pass QColor::fromRgb(value)</translation>
    </message>
    <message>
        <source>%1 = QColor non valido</source>
        <translation>%1 = an invalid QColor</translation>
    </message>
    <message>
        <source>ScaleMode = %1 (non è un numero intero)</source>
        <translation>ScaleMode = %1 (not an integer)</translation>
    </message>
    <message>
        <source>Titolo = un valore di tipo %1, non un testo</source>
        <translation>Titolo = a value of type %1, not a text</translation>
    </message>
    <message>
        <source>previewSize = %1 x %2 (almeno 1 x 1)</source>
        <translation>previewSize = %1 x %2 (at least 1 x 1)</translation>
    </message>
</context>
<context>
    <name>qv::PrintPreviewDialog</name>
    <message>
        <source>Verticale</source>
        <translation>Portrait</translation>
    </message>
    <message>
        <source>Orizzontale</source>
        <translation>Landscape</translation>
    </message>
    <message>
        <source>Imposta pagina...</source>
        <translation>Page setup...</translation>
    </message>
    <message>
        <source>Formato e margini della pagina</source>
        <translation>Paper size and margins of the page</translation>
    </message>
</context>
<context>
    <name>qv::PrinterTarget</name>
    <message>
        <source>Impossibile avviare la stampa su &quot;%1&quot;: impossibile scrivere il file &quot;%2&quot;: %3</source>
        <translation>Unable to start printing on &quot;%1&quot;: unable to write the file &quot;%2&quot;: %3</translation>
    </message>
    <message>
        <source> (file &quot;%1&quot;)</source>
        <translation> (file &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>Impossibile avviare la stampa su %1</source>
        <translation>Unable to start printing on %1</translation>
    </message>
    <message>
        <source>Impossibile scrivere il file PDF &quot;%1&quot; della stampante &quot;%2&quot;: %3</source>
        <translation>Unable to write the PDF file &quot;%1&quot; of the printer &quot;%2&quot;: %3</translation>
    </message>
    <message>
        <source>Impossibile iniziare un nuovo foglio sulla stampante &quot;%1&quot;</source>
        <translation>Unable to start a new sheet on the printer &quot;%1&quot;</translation>
    </message>
    <message>
        <source>il documento non è stato completato</source>
        <translation>the document was not completed</translation>
    </message>
    <message>
        <source>Impossibile completare la stampa sulla stampante &quot;%1&quot;</source>
        <translation>Unable to complete printing on the printer &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>qv::SpoolFile</name>
    <message>
        <source>Stampa di &quot;%1&quot; interrotta: il lavoro è stato annullato, nessun file PDF è stato scritto</source>
        <translation>Printing of &quot;%1&quot; interrupted: the job was cancelled, no PDF file was written</translation>
    </message>
    <message>
        <source>La pagina %1 non è nel documento &quot;%2&quot; (%3 pagine)</source>
        <translation>Page %1 is not in the document &quot;%2&quot; (%3 pages)</translation>
    </message>
    <message>
        <source>Risoluzione non valida per la pagina di %1 x %2 twip: %3 punti per pollice</source>
        <translation>Invalid resolution for the page of %1 x %2 twips: %3 dots per inch</translation>
    </message>
    <message>
        <source>Memoria esaurita per l&apos;immagine della pagina %1 a %2 punti per pollice</source>
        <translation>Out of memory for the image of page %1 at %2 dots per inch</translation>
    </message>
    <message>
        <source>Impossibile scrivere il file &quot;%1&quot;: è il file di stampa da disegnare</source>
        <translation>Unable to write the file &quot;%1&quot;: it is the print file to draw</translation>
    </message>
    <message>
        <source>Memoria esaurita per il file PNG della pagina %1</source>
        <translation>Out of memory for the PNG file of page %1</translation>
    </message>
    <message>
        <source>Impossibile scrivere il file &quot;%1&quot;: %2</source>
        <translation>Unable to write the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>errore di scrittura</source>
        <translation>write error</translation>
    </message>
</context>
<context>
    <name>qv::SpoolReader</name>
    <message>
        <source>non è un file regolare</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>riga %1</source>
        <translation>line %1</translation>
    </message>
    <message>
        <source>riga %1 dalla posizione %2</source>
        <translation>line %1 from position %2</translation>
    </message>
    <message>
        <source>Errore nel file di stampa &quot;%1&quot;, %2: %3</source>
        <translation>Error in the print file &quot;%1&quot;, %2: %3</translation>
    </message>
    <message>
        <source>il valore %1</source>
        <translation>the value %1</translation>
    </message>
    <message>
        <source>fine del file inattesa</source>
        <translation>unexpected end of file</translation>
    </message>
    <message>
        <source>fine del file inattesa, atteso %1</source>
        <translation>unexpected end of file, expected %1</translation>
    </message>
    <message>
        <source>riga troppo lunga (oltre %1 byte)</source>
        <translation>line too long (over %1 bytes)</translation>
    </message>
    <message>
        <source>testo senza virgolette di chiusura per %1</source>
        <translation>text without closing quotes for %1</translation>
    </message>
    <message>
        <source>valore fuori dall&apos;intervallo ammesso per %1: &quot;%2&quot;</source>
        <translation>value out of the allowed range for %1: &quot;%2&quot;</translation>
    </message>
    <message>
        <source>atteso un numero per %1, trovato &quot;%2&quot;</source>
        <translation>expected a number for %1, found &quot;%2&quot;</translation>
    </message>
    <message>
        <source>valore intero fuori dall&apos;intervallo per %1</source>
        <translation>integer value out of range for %1</translation>
    </message>
    <message>
        <source>valore fuori dall&apos;intervallo a 32 bit per %1</source>
        <translation>value out of the 32-bit range for %1</translation>
    </message>
    <message>
        <source>atteso #TRUE# o #FALSE# per %1, trovato &quot;%2&quot;</source>
        <translation>expected #TRUE# or #FALSE# for %1, found &quot;%2&quot;</translation>
    </message>
</context>
<context>
    <name>qv::TextSearch</name>
    <message>
        <source>testo oltre %1 byte senza &quot;%2&quot;</source>
        <translation>text over %1 bytes without &quot;%2&quot;</translation>
    </message>
</context>
<context>
    <name>qv::ThumbnailPane</name>
    <message>
        <source>Pagina %1</source>
        <translation>Page %1</translation>
    </message>
    <message>
        <source>%1: 1 corrispondenza</source>
        <translation>%1: 1 match</translation>
    </message>
    <message>
        <source>%1: %2 corrispondenze</source>
        <translation>%1: %2 matches</translation>
    </message>
    <message>
        <source>Miniature delle pagine</source>
        <translation>Page thumbnails</translation>
    </message>
    <message>
        <source>Le pagine del documento in piccolo: le frecce mostrano la pagina accanto, Invio quella evidenziata, Esc torna alla pagina; una pagina con corrispondenze della ricerca ne porta il numero</source>
        <translation>The document&apos;s pages in small: the arrows show the page beside, Enter the highlighted one, Esc goes back to the page; a page with matches of the find carries their number</translation>
    </message>
</context>
<context>
    <name>qv::ZoomBox</name>
    <message>
        <source>Zoom: scrivere una percentuale (da 10 a 400) e premere Invio</source>
        <translation>Zoom: type a percentage (10 to 400) and press Enter</translation>
    </message>
    <message>
        <source>Adatta alla pagina</source>
        <translation>Fit to page</translation>
    </message>
    <message>
        <source>Adatta alla larghezza</source>
        <translation>Fit to width</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Lo zoom in uso: scrivere una percentuale da 10 a 400 e premere Invio, o scegliere dall&apos;elenco (Alt+Giù) un passo, Adatta alla pagina o Adatta alla larghezza</source>
        <translation>The zoom in use: type a percentage from 10 to 400 and press Enter, or choose a step, Fit to page or Fit to width from the list (Alt+Down)</translation>
    </message>
    <message>
        <source>La percentuale di zoom: scriverne una da 10 a 400 e premere Invio (uscendo senza Invio resta quella in uso)</source>
        <translation>The zoom percentage: type one from 10 to 400 and press Enter (leaving without Enter keeps the one in use)</translation>
    </message>
</context>
<context>
    <name>qv::designer::DialogoProprieta</name>
    <message>
        <source>Proprietà</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>Proprietà di %1</source>
        <translation>Properties of %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Annulla</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Applica</source>
        <translation>Apply</translation>
    </message>
</context>
<context>
    <name>qv::designer::PreviewWidgetPlugin</name>
    <message>
        <source>Anteprima di stampa in un modulo (come QPrintPreviewWidget)</source>
        <translation>Print preview on a form (as QPrintPreviewWidget)</translation>
    </message>
    <message>
        <source>Mostra le pagine che lo slot collegato a paintRequested() disegna con QPainter, con zoom, ricerca e stampa.</source>
        <translation>Shows the pages that the slot connected to paintRequested() paints with QPainter, with zoom, find and print.</translation>
    </message>
</context>
<context>
    <name>qv::designer::PrintPreviewPlugin</name>
    <message>
        <source>Anteprima di Stampa</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>Registra un documento pagina per pagina e ne apre l&apos;anteprima di stampa.</source>
        <translation>Records a document page by page and opens its print preview.</translation>
    </message>
</context>
<context>
    <name>qv::designer::PrintPreviewTaskMenu</name>
    <message>
        <source>Proprietà dell&apos;Anteprima...</source>
        <translation>Preview Properties...</translation>
    </message>
</context>
<context>
    <name>qv::qvUtilita</name>
    <message>
        <source>Impossibile leggere l&apos;unità specificata.</source>
        <translation>Unable to read the specified drive.</translation>
    </message>
    <message>
        <source>Errore </source>
        <translation>Error </translation>
    </message>
    <message>
        <source>Errore # </source>
        <translation>Error # </translation>
    </message>
    <message>
        <source>Errore</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>: file non trovato!</source>
        <translation>: file not found!</translation>
    </message>
    <message>
        <source>: nessun programma associato a questo tipo di file!</source>
        <translation>: no program is associated with this type of file!</translation>
    </message>
    <message>
        <source>: accesso negato!</source>
        <translation>: access denied!</translation>
    </message>
    <message>
        <source>: Applicazione non trovata.</source>
        <translation>: Application not found.</translation>
    </message>
</context>
<context>
    <name>qvpreview</name>
    <message>
        <source>Provare &apos;qvpreview --help&apos; per maggiori informazioni.</source>
        <translation>Try &apos;qvpreview --help&apos; for more information.</translation>
    </message>
    <message>
        <source>errore %1 (%2): %3</source>
        <translation>error %1 (%2): %3</translation>
    </message>
    <message>
        <source>opzione sconosciuta: %1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>l&apos;opzione --%1 richiede un valore</source>
        <translation>option --%1 needs a value</translation>
    </message>
    <message>
        <source>opzione sconosciuta: --%1</source>
        <translation>unknown option: --%1</translation>
    </message>
    <message>
        <source>%1: file non trovato</source>
        <translation>%1: file not found</translation>
    </message>
    <message>
        <source>%1: non è un file leggibile</source>
        <translation>%1: not a readable file</translation>
    </message>
    <message>
        <source>valido</source>
        <translation>valid</translation>
    </message>
    <message>
        <source>pagine: </source>
        <translation>pages: </translation>
    </message>
    <message>
        <source>testi: </source>
        <translation>texts: </translation>
    </message>
    <message>
        <source>linee: </source>
        <translation>lines: </translation>
    </message>
    <message>
        <source>riquadri: </source>
        <translation>boxes: </translation>
    </message>
    <message>
        <source>punti: </source>
        <translation>points: </translation>
    </message>
    <message>
        <source>cerchi: </source>
        <translation>circles: </translation>
    </message>
    <message>
        <source>immagini: </source>
        <translation>pictures: </translation>
    </message>
    <message>
        <source>render richiede --page N</source>
        <translation>render needs --page N</translation>
    </message>
    <message>
        <source>render richiede --png OUT.png</source>
        <translation>render needs --png OUT.png</translation>
    </message>
    <message>
        <source>numero di pagina non valido (da 1 a %2): %1</source>
        <translation>invalid page number (1 to %2): %1</translation>
    </message>
    <message>
        <source>zoom non valido (da 1 a 1600): %1</source>
        <translation>invalid zoom (1 to 1600): %1</translation>
    </message>
    <message>
        <source>%1: il documento ha %2 pagine, la pagina %3 non esiste</source>
        <translation>%1: the document has %2 pages, page %3 does not exist</translation>
    </message>
    <message>
        <source>%1: pagina %2 disegnata solo in parte: %3</source>
        <translation>%1: page %2 drawn only in part: %3</translation>
    </message>
    <message>
        <source>pagina %1 di %2, %3 x %4 pixel</source>
        <translation>page %1 of %2, %3 x %4 pixels</translation>
    </message>
    <message>
        <source>intervallo di pagine non valido: %1 (atteso A-B, con 1 &lt;= A &lt;= B &lt;= %2)</source>
        <translation>invalid page range: %1 (expected A-B, with 1 &lt;= A &lt;= B &lt;= %2)</translation>
    </message>
    <message>
        <source>numero di copie non valido (da 1 a 999): %1</source>
        <translation>invalid number of copies (1 to 999): %1</translation>
    </message>
    <message>
        <source>--printer e --pdf non si possono usare insieme</source>
        <translation>--printer and --pdf cannot be used together</translation>
    </message>
    <message>
        <source>stampante sconosciuta: %1 (vedere --list-printers)</source>
        <translation>unknown printer: %1 (see --list-printers)</translation>
    </message>
    <message>
        <source>stampa: foglio %1 di %2</source>
        <translation>printing: sheet %1 of %2</translation>
    </message>
    <message>
        <source>stampato su %1</source>
        <translation>printed on %1</translation>
    </message>
    <message>
        <source>manca il comando</source>
        <translation>missing command</translation>
    </message>
    <message>
        <source>view richiede uno schermo (DISPLAY non impostato); usare render o print</source>
        <translation>view needs a display (DISPLAY is not set); use render or print</translation>
    </message>
    <message>
        <source>comando sconosciuto: %1</source>
        <translation>unknown command: %1</translation>
    </message>
    <message>
        <source>manca il file di spool</source>
        <translation>missing spool file</translation>
    </message>
    <message>
        <source>troppi argomenti</source>
        <translation>too many arguments</translation>
    </message>
    <message>
        <source>il testo da cercare è vuoto</source>
        <translation>the text to find is empty</translation>
    </message>
    <message>
        <source>manca il testo da cercare</source>
        <translation>missing text to find</translation>
    </message>
    <message>
        <source>orizzontale</source>
        <translation>landscape</translation>
    </message>
    <message>
        <source>verticale</source>
        <translation>portrait</translation>
    </message>
    <message>
        <source>della stampante corrente (%1)</source>
        <translation>of the current printer (%1)</translation>
    </message>
    <message>
        <source>formato: </source>
        <translation>paper: </translation>
    </message>
    <message>
        <source>formati:</source>
        <translation>papers:</translation>
    </message>
    <message>
        <source>pagina %1</source>
        <translation>page %1</translation>
    </message>
    <message>
        <source>pagine %1-%2</source>
        <translation>pages %1-%2</translation>
    </message>
    <message>
        <source>Uso: qvpreview COMANDO FILE [OPZIONI]

Comandi:
  view FILE [--follow]            apre l&apos;anteprima di stampa del file di spool; con
                                  --follow mostra anche le pagine che un altro
                                  programma vi aggiunge mentre è aperta
  print FILE [--pages A-B] [--copies N] [--printer NOME | --pdf OUT.pdf]
             [--title TITOLO]     stampa le pagine A..B, N copie, sulla stampante
                                  indicata (predefinita: quella corrente) o in un PDF;
                                  il lavoro si chiama TITOLO (predefinito: il nome
                                  del file)
  render FILE --page N [--zoom Z] --png OUT.png
                                  disegna la pagina N al Z per cento (100) in un PNG,
                                  senza bisogno di uno schermo
  check FILE                      legge tutto il file e riporta il primo errore con
                                  la sua riga, oppure le pagine e i record
  check --layout FILE             controlla l&apos;impaginazione, pagina per pagina: testi
                                  tagliati dal campo, record fuori dall&apos;area stampabile
                                  o dalla pagina, immagini illeggibili, caratteri
                                  sostituiti; esce con 0 se non trova nulla, 1 se trova
                                  qualcosa o per un errore
  find FILE TESTO [--match-case] [--whole-words]
                                  cerca TESTO nei testi del documento, senza distinguere
                                  maiuscole e minuscole (con --match-case sì), anche
                                  dentro le parole (con --whole-words solo parole
                                  intere), e scrive una riga per ogni
                                  occorrenza: PAGINA:X,Y:COLONNA:CONTESTO, dove il
                                  contesto è l&apos;occorrenza con al più 40 caratteri del
                                  testo prima e dopo (X e Y in twip, COLONNA dal
                                  carattere 1); esce con 0 se ne trova, 1 se non ne
                                  trova, 2 per un errore; oltre 100000 occorrenze
                                  scrive le prime 100000 e lo dice

Opzioni generali:
  -h, --help                      mostra questo aiuto
  --version                       mostra la versione
  --list-printers                 elenca le stampanti installate
</source>
        <translation>Usage: qvpreview COMMAND FILE [OPTIONS]

Commands:
  view FILE [--follow]            opens the print preview of the spool file; with
                                  --follow it also shows the pages another program
                                  appends to it while it is open
  print FILE [--pages A-B] [--copies N] [--printer NAME | --pdf OUT.pdf]
             [--title TITLE]      prints pages A..B, N copies, on the printer
                                  given (default: the current one) or to a PDF;
                                  the job is named TITLE (default: the file&apos;s
                                  name)
  render FILE --page N [--zoom Z] --png OUT.png
                                  draws page N at Z per cent (100) into a PNG,
                                  without needing a display
  check FILE                      reads the whole file and reports the first error
                                  with its line, or the pages and the records
  check --layout FILE             checks the layout, page by page: texts cut by
                                  their field, records outside the printable area
                                  or off the page, unreadable pictures, replaced
                                  fonts; exits with 0 when it finds nothing, 1 when
                                  it finds something or on an error
  find FILE TEXT [--match-case] [--whole-words]
                                  finds TEXT in the document&apos;s texts, whatever the
                                  case (with --match-case as written), also inside
                                  words (with --whole-words whole words only), and
                                  writes one line for each match:
                                  PAGE:X,Y:COLUMN:CONTEXT, the context being the
                                  match with at most 40 characters of the text
                                  before and after it (X and Y in twips, COLUMN
                                  from character 1); exits with 0 when found, 1
                                  when not found, 2 on an error; past 100000
                                  matches writes the first 100000 and says so

General options:
  -h, --help                      shows this help
  --version                       shows the version
  --list-printers                 lists the installed printers
</translation>
    </message>
    <message>
        <source>pagina %1:</source>
        <translation>page %1:</translation>
    </message>
    <message>
        <source>riga %1: %2 (x %3, y %4, %5 x %6 twip)</source>
        <translation>line %1: %2 (x %3, y %4, %5 x %6 twips)</translation>
    </message>
    <message>
        <source>oltre %1 occorrenze: scritte le prime %1</source>
        <translation>more than %1 matches: the first %1 written</translation>
    </message>
</context>
</TS>
