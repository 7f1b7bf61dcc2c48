<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>AboutBox</name>
    <message>
        <source>Created %1</source>
        <translation>Erstellt %1</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
</context>
<context>
    <name>CaptureMenu</name>
    <message>
        <source>&amp;Capture</source>
        <translation>&amp;Aufzeichnung</translation>
    </message>
    <message>
        <source>Record Comm Port &amp;%1...</source>
        <translation>Anschluss &amp;%1 aufzeichnen...</translation>
    </message>
    <message>
        <source>Record &amp;Both to One Log...</source>
        <translation>&amp;Beide in ein Protokoll aufzeichnen...</translation>
    </message>
    <message>
        <source>S&amp;top All Recording</source>
        <translation>Alle Aufzeichnungen &amp;stoppen</translation>
    </message>
    <message>
        <source>&amp;Save Comm Port %1 Pane As...</source>
        <translation>Empfangsfeld von Anschluss %1 s&amp;peichern unter...</translation>
    </message>
    <message>
        <source>Save Comm Port %1 Pane &amp;As...</source>
        <translation>Empfangsfeld von Anschluss %1 speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Record Both to One Log</source>
        <translation>Beide in ein Protokoll aufzeichnen</translation>
    </message>
    <message>
        <source>Record Comm Port %1</source>
        <translation>Anschluss %1 aufzeichnen</translation>
    </message>
    <message>
        <source>Timestamped log, both channels (*.log)</source>
        <translation>Protokoll mit Zeitstempeln, beide Kanäle (*.log)</translation>
    </message>
    <message>
        <source>Recording did not start.</source>
        <translation>Die Aufzeichnung wurde nicht gestartet.</translation>
    </message>
    <message>
        <source>Save Comm Port %1 Pane As</source>
        <translation>Empfangsfeld von Anschluss %1 speichern unter</translation>
    </message>
    <message>
        <source>Text (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>%1 was not saved.</source>
        <translation>%1 wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>Recording to %1 stopped.</source>
        <translation>Die Aufzeichnung in %1 wurde beendet.</translation>
    </message>
    <message>
        <source>. What was written before is kept; the channels go on.</source>
        <translation>. Was bis dahin geschrieben wurde, bleibt erhalten; die Kanäle laufen weiter.</translation>
    </message>
    <message>
        <source>&amp;Publish to MQTT...</source>
        <translation>An &amp;MQTT veröffentlichen...</translation>
    </message>
    <message>
        <source>Publishing to MQTT could not start.</source>
        <translation>Das Veröffentlichen an MQTT konnte nicht beginnen.</translation>
    </message>
</context>
<context>
    <name>CapturePane</name>
    <message>
        <source>Older text of this pane cannot be moved to a temporary file, so the file was removed. The pane keeps up to %1 of text in memory; past that it shows no more (recordings keep everything) until Clear or until a file can be written again.</source>
        <translation>Älterer Text dieses Empfangsfelds kann nicht in eine temporäre Datei ausgelagert werden, daher wurde die Datei entfernt. Das Feld behält bis zu %1 Text im Arbeitsspeicher; darüber hinaus zeigt es nichts mehr an (Aufzeichnungen behalten alles), bis Löschen gewählt wird oder wieder eine Datei geschrieben werden kann.</translation>
    </message>
    <message>
        <source>The selection holds %1, too much for the clipboard.</source>
        <translation>Die Auswahl umfasst %1, zu viel für die Zwischenablage.</translation>
    </message>
    <message>
        <source>Save the selection to a file instead?</source>
        <translation>Die Auswahl stattdessen in eine Datei speichern?</translation>
    </message>
    <message>
        <source>Save Selection</source>
        <translation>Auswahl speichern</translation>
    </message>
    <message>
        <source>The selection could not be saved to %1.</source>
        <translation>Die Auswahl konnte nicht in %1 gespeichert werden.</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation>&amp;Suchen...</translation>
    </message>
</context>
<context>
    <name>Channel</name>
    <message>
        <source>The remote port</source>
        <translation>Der entfernte Anschluss</translation>
    </message>
</context>
<context>
    <name>ChannelGroup</name>
    <message>
        <source>Comm Port %1</source>
        <translation>Anschluss %1</translation>
    </message>
    <message>
        <source>Comm &amp;Port</source>
        <translation>Anschl&amp;uss</translation>
    </message>
    <message>
        <source>&amp;On</source>
        <translation>E&amp;in</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>For&amp;mat</source>
        <translation>For&amp;mat</translation>
    </message>
    <message>
        <source>ASCII</source>
        <translation>ASCII</translation>
    </message>
    <message>
        <source>Decimal</source>
        <translation>Dezimal</translation>
    </message>
    <message>
        <source>Hex</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>&amp;Display</source>
        <translation>An&amp;zeige</translation>
    </message>
    <message>
        <source>Real Time</source>
        <translation>Echtzeit</translation>
    </message>
    <message>
        <source>Time Out</source>
        <translation>Timeout</translation>
    </message>
    <message>
        <source>After CR</source>
        <translation>Nach CR</translation>
    </message>
    <message>
        <source>Cle&amp;ar</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Transmit</source>
        <translation>Se&amp;nden</translation>
    </message>
    <message>
        <source>R&amp;epeat</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>Clea&amp;r</source>
        <translation>Lös&amp;chen</translation>
    </message>
    <message>
        <source>He&amp;x</source>
        <translation>He&amp;x</translation>
    </message>
    <message>
        <source>&amp;IP:</source>
        <translation>I&amp;P:</translation>
    </message>
    <message>
        <source>Soc&amp;ket</source>
        <translation>Soc&amp;ket</translation>
    </message>
    <message>
        <source>Comm Port %1: %2 bytes were not sent.</source>
        <translation>Anschluss %1: %2 Bytes wurden nicht gesendet.</translation>
    </message>
    <message>
        <source>More than %1 would have waited to go out. Wait until the port has sent what waits, then try again.</source>
        <translation>Mehr als %1 hätten auf das Senden gewartet. Warten Sie, bis der Anschluss das Wartende gesendet hat, und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>A TCP connection to the host and port shown</source>
        <translation>Eine TCP-Verbindung zum angezeigten Host und Port</translation>
    </message>
    <message>
        <source>A serial port on another machine: a Telnet (RFC 2217) server at the host and port shown, given the serial settings, control lines and flow control</source>
        <translation>Eine serielle Schnittstelle an einem anderen Rechner: ein Telnet-Server (RFC 2217) am angezeigten Host und Port, der die seriellen Einstellungen, Steuerleitungen und Flusskontrolle übernimmt</translation>
    </message>
    <message>
        <source>Waits for one client on the port shown, at the address shown (127.0.0.1, or * for every local address)</source>
        <translation>Wartet am angezeigten Port und an der angezeigten Adresse auf einen Client (127.0.0.1, oder * für jede lokale Adresse)</translation>
    </message>
    <message>
        <source>no device</source>
        <translation>kein Gerät</translation>
    </message>
</context>
<context>
    <name>ChannelGroupAccessibility</name>
    <message>
        <source>Comm Port %1</source>
        <translation>Anschluss %1</translation>
    </message>
    <message>
        <source>The controls of channel %1</source>
        <translation>Die Bedienelemente von Kanal %1</translation>
    </message>
    <message>
        <source>Comm Port %1 port</source>
        <translation>Anschluss %1: Schnittstelle</translation>
    </message>
    <message>
        <source>The serial device or connection to open: choose one or type a device path</source>
        <translation>Das zu öffnende serielle Gerät oder die Verbindung: wählen Sie einen Eintrag oder geben Sie einen Gerätepfad ein</translation>
    </message>
    <message>
        <source>Comm Port %1 on</source>
        <translation>Anschluss %1 ein</translation>
    </message>
    <message>
        <source>Opens the port or connection and starts the capture</source>
        <translation>Öffnet die Schnittstelle oder Verbindung und beginnt den Empfang</translation>
    </message>
    <message>
        <source>Comm Port %1 off</source>
        <translation>Anschluss %1 aus</translation>
    </message>
    <message>
        <source>Closes the port or connection</source>
        <translation>Schließt die Schnittstelle oder Verbindung</translation>
    </message>
    <message>
        <source>Comm Port %1 format</source>
        <translation>Anschluss %1: Format</translation>
    </message>
    <message>
        <source>How the received bytes are shown</source>
        <translation>Wie die empfangenen Bytes angezeigt werden</translation>
    </message>
    <message>
        <source>Comm Port %1 format ASCII</source>
        <translation>Anschluss %1: Format ASCII</translation>
    </message>
    <message>
        <source>Received bytes shown as text</source>
        <translation>Empfangene Bytes als Text</translation>
    </message>
    <message>
        <source>Comm Port %1 format Decimal</source>
        <translation>Anschluss %1: Format Dezimal</translation>
    </message>
    <message>
        <source>Received bytes shown as decimal numbers</source>
        <translation>Empfangene Bytes als Dezimalzahlen</translation>
    </message>
    <message>
        <source>Comm Port %1 format Hex</source>
        <translation>Anschluss %1: Format Hex</translation>
    </message>
    <message>
        <source>Received bytes shown as hexadecimal numbers</source>
        <translation>Empfangene Bytes als Hexadezimalzahlen</translation>
    </message>
    <message>
        <source>Comm Port %1 display</source>
        <translation>Anschluss %1: Anzeige</translation>
    </message>
    <message>
        <source>When received data is shown</source>
        <translation>Wann empfangene Daten angezeigt werden</translation>
    </message>
    <message>
        <source>Comm Port %1 display Real Time</source>
        <translation>Anschluss %1: Anzeige in Echtzeit</translation>
    </message>
    <message>
        <source>Shows the data as it arrives</source>
        <translation>Zeigt die Daten, sobald sie eintreffen</translation>
    </message>
    <message>
        <source>Comm Port %1 display Time Out</source>
        <translation>Anschluss %1: Anzeige nach Timeout</translation>
    </message>
    <message>
        <source>Shows the data once the line has been quiet for the time-out</source>
        <translation>Zeigt die Daten, wenn die Leitung für die Dauer des Timeouts ruhig war</translation>
    </message>
    <message>
        <source>Comm Port %1 display After CR</source>
        <translation>Anschluss %1: Anzeige nach CR</translation>
    </message>
    <message>
        <source>Shows the data whenever a piece of it ends with a carriage return</source>
        <translation>Zeigt die Daten, sobald ein Teil davon mit einem Wagenrücklauf (CR) endet</translation>
    </message>
    <message>
        <source>Clear Comm Port %1 receive pane</source>
        <translation>Empfangsfeld von Anschluss %1 löschen</translation>
    </message>
    <message>
        <source>Empties the receive pane</source>
        <translation>Leert das Empfangsfeld</translation>
    </message>
    <message>
        <source>Comm Port %1 receive pane</source>
        <translation>Empfangsfeld von Anschluss %1</translation>
    </message>
    <message>
        <source>What Comm Port %1 has received, read-only</source>
        <translation>Was Anschluss %1 empfangen hat, schreibgeschützt</translation>
    </message>
    <message>
        <source>Comm Port %1 transmit</source>
        <translation>Anschluss %1: Senden</translation>
    </message>
    <message>
        <source>How typed text is sent</source>
        <translation>Wie eingegebener Text gesendet wird</translation>
    </message>
    <message>
        <source>Comm Port %1 transmit Real Time</source>
        <translation>Anschluss %1: Senden in Echtzeit</translation>
    </message>
    <message>
        <source>Sends each key as it is typed</source>
        <translation>Sendet jede Taste sofort beim Tippen</translation>
    </message>
    <message>
        <source>Comm Port %1 transmit After CR</source>
        <translation>Anschluss %1: Senden nach CR</translation>
    </message>
    <message>
        <source>Sends the typed text at each Enter</source>
        <translation>Sendet den eingegebenen Text bei jedem Enter</translation>
    </message>
    <message>
        <source>Repeat Comm Port %1 transmission</source>
        <translation>Senden an Anschluss %1 wiederholen</translation>
    </message>
    <message>
        <source>Sends the typed text again</source>
        <translation>Sendet den eingegebenen Text erneut</translation>
    </message>
    <message>
        <source>Clear Comm Port %1 transmit line</source>
        <translation>Sendezeile von Anschluss %1 löschen</translation>
    </message>
    <message>
        <source>Empties the transmit line: what is typed next is a new text to send</source>
        <translation>Leert die Sendezeile: was danach eingegeben wird, ist ein neuer zu sendender Text</translation>
    </message>
    <message>
        <source>Comm Port %1 transmit Hex</source>
        <translation>Anschluss %1: Senden als Hex</translation>
    </message>
    <message>
        <source>The typed text is byte values such as 41 42 0d</source>
        <translation>Der eingegebene Text sind Bytewerte wie 41 42 0d</translation>
    </message>
    <message>
        <source>Comm Port %1 transmit line</source>
        <translation>Sendezeile von Anschluss %1</translation>
    </message>
    <message>
        <source>What is typed here is sent to Comm Port %1</source>
        <translation>Was hier eingegeben wird, wird an Anschluss %1 gesendet</translation>
    </message>
    <message>
        <source>Comm Port %1 IP address</source>
        <translation>Anschluss %1: IP-Adresse</translation>
    </message>
    <message>
        <source>The address to connect to over TCP</source>
        <translation>Die Adresse für die TCP-Verbindung</translation>
    </message>
    <message>
        <source>Comm Port %1 socket</source>
        <translation>Anschluss %1: Socket</translation>
    </message>
    <message>
        <source>The TCP port number</source>
        <translation>Die TCP-Portnummer</translation>
    </message>
</context>
<context>
    <name>ChannelLink</name>
    <message>
        <source>Comm Port %1: port %2 can&apos;t use the settings &quot;%3&quot;.</source>
        <translation>Anschluss %1: Die Schnittstelle %2 kann die Einstellungen „%3“ nicht verwenden.</translation>
    </message>
    <message>
        <source>Comm Port %1: port %2 can&apos;t use the flow control chosen.</source>
        <translation>Anschluss %1: Die Schnittstelle %2 kann die gewählte Flusskontrolle nicht verwenden.</translation>
    </message>
    <message>
        <source>The TCP port &quot;%1&quot; is not a whole number from 1 to 65535.</source>
        <translation>Der TCP-Port „%1“ ist keine ganze Zahl von 1 bis 65535.</translation>
    </message>
    <message>
        <source>Type the TCP host (a name or an address such as 127.0.0.1) first.</source>
        <translation>Geben Sie zuerst den TCP-Host ein (einen Namen oder eine Adresse wie 127.0.0.1).</translation>
    </message>
    <message>
        <source>Comm Port %1: the serial settings &quot;%2&quot; can&apos;t be sent to the remote port.</source>
        <translation>Anschluss %1: Die seriellen Einstellungen „%2“ können nicht an die entfernte Schnittstelle gesendet werden.</translation>
    </message>
    <message>
        <source>Comm Port %1 can only listen on a local address such as 127.0.0.1, or * for every one; &quot;%2&quot; is not one.</source>
        <translation>Anschluss %1 kann nur an einer lokalen Adresse wie 127.0.0.1 lauschen, oder an * für alle; „%2“ ist keine.</translation>
    </message>
    <message>
        <source>Comm Port %1 can&apos;t listen on %2 port %3.</source>
        <translation>Anschluss %1 kann nicht an %2 Port %3 lauschen.</translation>
    </message>
    <message>
        <source>%1; %2 bytes not sent were dropped</source>
        <translation>%1; %2 nicht gesendete Bytes wurden verworfen</translation>
    </message>
    <message>
        <source>Comm Port %1: the port %2 stopped working.</source>
        <translation>Anschluss %1: Die Schnittstelle %2 funktioniert nicht mehr.</translation>
    </message>
    <message>
        <source>The connection to %1 port %2 was refused.</source>
        <translation>Die Verbindung zu %1 Port %2 wurde abgelehnt.</translation>
    </message>
    <message>
        <source>The connection to %1 port %2 could not be made.</source>
        <translation>Die Verbindung zu %1 Port %2 konnte nicht hergestellt werden.</translation>
    </message>
    <message>
        <source>The connection to %1 port %2 ended.</source>
        <translation>Die Verbindung zu %1 Port %2 wurde beendet.</translation>
    </message>
    <message>
        <source>Comm Port %1 is off</source>
        <translation>Anschluss %1 ist aus</translation>
    </message>
    <message>
        <source>a TCP connection has no serial settings</source>
        <translation>eine TCP-Verbindung hat keine seriellen Einstellungen</translation>
    </message>
</context>
<context>
    <name>ChannelLinkActions</name>
    <message>
        <source>&amp;Link</source>
        <translation>&amp;Verbindung</translation>
    </message>
    <message>
        <source>&amp;Reconnect Automatically</source>
        <translation>&amp;Automatisch neu verbinden</translation>
    </message>
    <message>
        <source>A device that goes away is waited for and opened again; a dropped connection is made again</source>
        <translation>Auf ein verschwundenes Gerät wird gewartet und es wird erneut geöffnet; eine abgebrochene Verbindung wird neu aufgebaut</translation>
    </message>
    <message>
        <source>&amp;DTR</source>
        <translation>&amp;DTR</translation>
    </message>
    <message>
        <source>R&amp;TS</source>
        <translation>R&amp;TS</translation>
    </message>
    <message>
        <source>Send &amp;Break</source>
        <translation>&amp;Break senden</translation>
    </message>
    <message>
        <source>&amp;Flow Control</source>
        <translation>&amp;Flusskontrolle</translation>
    </message>
    <message>
        <source>&amp;None</source>
        <translation>&amp;Keine</translation>
    </message>
    <message>
        <source>&amp;RTS/CTS</source>
        <translation>&amp;RTS/CTS</translation>
    </message>
    <message>
        <source>&amp;XON/XOFF</source>
        <translation>&amp;XON/XOFF</translation>
    </message>
    <message>
        <source>Comm Port %1 keeps its flow control: the device refused the new one.</source>
        <translation>Anschluss %1 behält seine Flusskontrolle: das Gerät hat die neue abgelehnt.</translation>
    </message>
    <message>
        <source>The server gives no control lines of the remote port (the status line says why)</source>
        <translation>Der Server liefert keine Steuerleitungen der entfernten Schnittstelle (die Statuszeile nennt den Grund)</translation>
    </message>
    <message>
        <source>%1 has no control lines (a pseudo-terminal has none)</source>
        <translation>%1 hat keine Steuerleitungen (ein Pseudo-Terminal hat keine)</translation>
    </message>
    <message>
        <source>A TCP connection has no control lines</source>
        <translation>Eine TCP-Verbindung hat keine Steuerleitungen</translation>
    </message>
    <message>
        <source>Data Terminal Ready, set at each open</source>
        <translation>Data Terminal Ready, bei jedem Öffnen gesetzt</translation>
    </message>
    <message>
        <source>RTS/CTS flow control drives RTS</source>
        <translation>Die RTS/CTS-Flusskontrolle steuert RTS</translation>
    </message>
    <message>
        <source>Request To Send, set at each open</source>
        <translation>Request To Send, bei jedem Öffnen gesetzt</translation>
    </message>
    <message>
        <source>Holds the line in Break for 250 ms</source>
        <translation>Hält die Leitung 250 ms lang im Break-Zustand</translation>
    </message>
    <message>
        <source>Only while the channel is on a serial device</source>
        <translation>Nur solange der Kanal an einem seriellen Gerät ist</translation>
    </message>
    <message>
        <source>A TCP connection has no flow control here</source>
        <translation>Eine TCP-Verbindung hat hier keine Flusskontrolle</translation>
    </message>
</context>
<context>
    <name>ChannelTimeActions</name>
    <message>
        <source>Show &amp;Time</source>
        <translation>&amp;Zeit anzeigen</translation>
    </message>
    <message>
        <source>&amp;No Times</source>
        <translation>&amp;Keine Zeiten</translation>
    </message>
    <message>
        <source>Time of &amp;Day</source>
        <translation>&amp;Uhrzeit</translation>
    </message>
    <message>
        <source>Time Since &amp;First Line</source>
        <translation>Zeit seit &amp;erster Zeile</translation>
    </message>
    <message>
        <source>Time Since &amp;Previous Line</source>
        <translation>Zeit seit &amp;vorheriger Zeile</translation>
    </message>
    <message>
        <source>Times in &amp;Copies and Saves</source>
        <translation>&amp;Zeiten beim Kopieren und Speichern</translation>
    </message>
    <message>
        <source>Copy and Save Pane As put each line&apos;s time before it</source>
        <translation>Kopieren und Speichern unter schreiben die Zeit jeder Zeile vor die Zeile</translation>
    </message>
</context>
<context>
    <name>ChannelView</name>
    <message>
        <source>Plot in This &amp;View</source>
        <translation>Plot in dieser &amp;Ansicht</translation>
    </message>
</context>
<context>
    <name>DisplayWindow</name>
    <message>
        <source>Varnok Terminal</source>
        <translation>Varnok Terminal</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>&amp;Setup</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Serial</source>
        <translation>&amp;Seriell</translation>
    </message>
    <message>
        <source>&amp;Format</source>
        <translation>&amp;Format</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
</context>
<context>
    <name>FileSender</name>
    <message>
        <source>Comm Port %1 is off.</source>
        <translation>Anschluss %1 ist aus.</translation>
    </message>
    <message>
        <source>Comm Port %1 is waiting for its port or connection to come back.</source>
        <translation>Anschluss %1 wartet darauf, dass seine Schnittstelle oder Verbindung zurückkehrt.</translation>
    </message>
</context>
<context>
    <name>FileTransfer</name>
    <message numerus="yes">
        <source>The other side sent nothing for %n second(s).</source>
        <translation>
            <numerusform>Die Gegenseite hat %n Sekunde lang nichts gesendet.</numerusform>
            <numerusform>Die Gegenseite hat %n Sekunden lang nichts gesendet.</numerusform>
        </translation>
    </message>
    <message>
        <source>Comm Port %1 is not on with a working port or connection.</source>
        <translation>Anschluss %1 ist nicht mit einer funktionierenden Schnittstelle oder Verbindung eingeschaltet.</translation>
    </message>
    <message>
        <source>%1 needs the program %2 from the package lrzsz, which is not installed.</source>
        <translation>%1 benötigt das Programm %2 aus dem Paket lrzsz, das nicht installiert ist.</translation>
    </message>
    <message>
        <source>Comm Port %1 went off.</source>
        <translation>Anschluss %1 wurde ausgeschaltet.</translation>
    </message>
    <message>
        <source>Comm Port %1 lost its port or connection.</source>
        <translation>Anschluss %1 hat seine Schnittstelle oder Verbindung verloren.</translation>
    </message>
    <message>
        <source>%1 ended with status %2.</source>
        <translation>%1 endete mit Status %2.</translation>
    </message>
    <message>
        <source>sending %1 by %2: %3 of %4 bytes</source>
        <translation>%1 wird per %2 gesendet: %3 von %4 Bytes</translation>
    </message>
    <message>
        <source>receiving by %1: %2 bytes</source>
        <translation>Empfang per %1: %2 Bytes</translation>
    </message>
</context>
<context>
    <name>FileWriter</name>
    <message>
        <source>writing failed: %1</source>
        <translation>Schreiben fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>syncing to the disk failed: %1</source>
        <translation>Sichern auf den Datenträger fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>closing failed: %1</source>
        <translation>Schließen fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>FormatDialog</name>
    <message>
        <source>Comm %1</source>
        <translation>Anschluss %1</translation>
    </message>
    <message>
        <source>Add to present data</source>
        <translation>An Daten anhängen</translation>
    </message>
    <message>
        <source>Clear old data first</source>
        <translation>Alte Daten löschen</translation>
    </message>
    <message>
        <source>Time Out (ms)</source>
        <translation>Timeout (ms)</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Comm %1 time-out in ms</source>
        <translation>Anschluss %1: Timeout in ms</translation>
    </message>
    <message>
        <source>How long the line must be quiet before Time Out shows the data, %1 to %2 ms</source>
        <translation>Wie lange die Leitung ruhig sein muss, bevor Timeout die Daten anzeigt, %1 bis %2 ms</translation>
    </message>
    <message>
        <source>Comm %1: add to present data</source>
        <translation>Anschluss %1: an Daten anhängen</translation>
    </message>
    <message>
        <source>Comm %1: clear old data first</source>
        <translation>Anschluss %1: alte Daten löschen</translation>
    </message>
</context>
<context>
    <name>HelpMenu</name>
    <message>
        <source>&amp;User Manual</source>
        <translation>&amp;Handbuch</translation>
    </message>
    <message>
        <source>&amp;Keyboard Shortcuts</source>
        <translation>&amp;Tastenkürzel</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>The user manual is not installed.</source>
        <translation>Das Handbuch ist nicht installiert.</translation>
    </message>
    <message>
        <source>It was looked for as:
%1</source>
        <translation>Gesucht wurde:
%1</translation>
    </message>
    <message>
        <source>Receive pane</source>
        <translation>Empfangsfeld</translation>
    </message>
</context>
<context>
    <name>KeyboardShortcutsDialog</name>
    <message>
        <source>Keyboard Shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>Tasten</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
</context>
<context>
    <name>LastSetup</name>
    <message>
        <source>&amp;Remember Setup on Exit</source>
        <translation>Konfiguration beim Beenden &amp;merken</translation>
    </message>
</context>
<context>
    <name>LineEndingMenu</name>
    <message>
        <source>&amp;CR</source>
        <translation>&amp;CR</translation>
    </message>
    <message>
        <source>&amp;LF</source>
        <translation>&amp;LF</translation>
    </message>
    <message>
        <source>CR LF (&amp;Both)</source>
        <translation>CR LF (&amp;beide)</translation>
    </message>
    <message>
        <source>&amp;Nothing</source>
        <translation>&amp;Nichts</translation>
    </message>
</context>
<context>
    <name>LineSettings</name>
    <message>
        <source>the speed is missing</source>
        <translation>die Geschwindigkeit fehlt</translation>
    </message>
    <message>
        <source>the speed &quot;%1&quot; is not a positive whole number</source>
        <translation>die Geschwindigkeit „%1“ ist keine positive ganze Zahl</translation>
    </message>
    <message>
        <source>the speed &quot;%1&quot; is too large</source>
        <translation>die Geschwindigkeit „%1“ ist zu groß</translation>
    </message>
    <message>
        <source>the parity &quot;%1&quot; is not one of N, O, E, M, S, + or -</source>
        <translation>die Parität „%1“ ist keines von N, O, E, M, S, + oder -</translation>
    </message>
    <message>
        <source>the parity is missing</source>
        <translation>die Parität fehlt</translation>
    </message>
    <message>
        <source>the data bits are missing</source>
        <translation>die Datenbits fehlen</translation>
    </message>
    <message>
        <source>the data bits &quot;%1&quot; are not 5, 6, 7 or 8</source>
        <translation>die Datenbits „%1“ sind nicht 5, 6, 7 oder 8</translation>
    </message>
    <message>
        <source>the stop bits are missing</source>
        <translation>die Stoppbits fehlen</translation>
    </message>
    <message>
        <source>the stop bits &quot;%1&quot; are not 1, 1.5 or 2</source>
        <translation>die Stoppbits „%1“ sind nicht 1, 1.5 oder 2</translation>
    </message>
    <message>
        <source>the settings are empty: expected speed,parity,data,stop such as 9600,N,8,1</source>
        <translation>die Einstellungen sind leer: erwartet wird Geschwindigkeit,Parität,Datenbits,Stoppbits wie 9600,N,8,1</translation>
    </message>
    <message>
        <source>the settings &quot;%1&quot; have %2 fields instead of four: expected speed,parity,data,stop such as 9600,N,8,1</source>
        <translation>die Einstellungen „%1“ haben %2 statt vier Felder: erwartet wird Geschwindigkeit,Parität,Datenbits,Stoppbits wie 9600,N,8,1</translation>
    </message>
    <message>
        <source>speed</source>
        <translation>Geschwindigkeit</translation>
    </message>
    <message>
        <source>parity</source>
        <translation>Parität</translation>
    </message>
    <message>
        <source>data bits</source>
        <translation>Datenbits</translation>
    </message>
    <message>
        <source>stop bits</source>
        <translation>Stoppbits</translation>
    </message>
    <message>
        <source>the %1 &quot;%2&quot; can&apos;t contain a comma</source>
        <translation>das Feld %1 („%2“) darf kein Komma enthalten</translation>
    </message>
</context>
<context>
    <name>LinkMenu</name>
    <message>
        <source>&amp;Link</source>
        <translation>&amp;Verbindung</translation>
    </message>
    <message>
        <source>Comm Port &amp;%1</source>
        <translation>Anschluss &amp;%1</translation>
    </message>
    <message>
        <source>&amp;Bridge...</source>
        <translation>&amp;Brücke...</translation>
    </message>
</context>
<context>
    <name>LinkReconnect</name>
    <message>
        <source>not a serial device</source>
        <translation>kein serielles Gerät</translation>
    </message>
</context>
<context>
    <name>LinkSpeedMenu</name>
    <message>
        <source>&amp;Speed</source>
        <translation>&amp;Geschwindigkeit</translation>
    </message>
    <message>
        <source>&amp;Other...</source>
        <translation>&amp;Andere...</translation>
    </message>
    <message>
        <source>Comm Port %1 keeps its speed: %2 baud was not taken.</source>
        <translation>Anschluss %1 behält seine Geschwindigkeit: %2 Baud wurden nicht übernommen.</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Geschwindigkeit</translation>
    </message>
    <message>
        <source>Comm Port %1&apos;s speed in baud (any whole number the device takes):</source>
        <translation>Geschwindigkeit von Anschluss %1 in Baud (jede ganze Zahl, die das Gerät annimmt):</translation>
    </message>
    <message>
        <source>That speed can&apos;t be used.</source>
        <translation>Diese Geschwindigkeit kann nicht verwendet werden.</translation>
    </message>
    <message>
        <source>the speed &quot;%1&quot; is not a positive whole number</source>
        <translation>die Geschwindigkeit „%1“ ist keine positive ganze Zahl</translation>
    </message>
    <message>
        <source>A TCP connection has no speed here</source>
        <translation>Eine TCP-Verbindung hat hier keine Geschwindigkeit</translation>
    </message>
    <message>
        <source>Only while the channel is on a serial device</source>
        <translation>Nur solange der Kanal an einem seriellen Gerät ist</translation>
    </message>
    <message>
        <source>&amp;Other (%1)...</source>
        <translation>&amp;Andere (%1)...</translation>
    </message>
</context>
<context>
    <name>LogReader</name>
    <message>
        <source>Line %1 is not a timestamped log line.</source>
        <translation>Zeile %1 ist keine Protokollzeile mit Zeitstempel.</translation>
    </message>
    <message>
        <source>Line %1 is longer than %2 MB.</source>
        <translation>Zeile %1 ist länger als %2 MB.</translation>
    </message>
    <message>
        <source>The file can&apos;t be read: %1</source>
        <translation>Die Datei kann nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>ManualWindow</name>
    <message>
        <source>VarnokTerm User Manual</source>
        <translation>VarnokTerm-Handbuch</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
</context>
<context>
    <name>MonitorCommands</name>
    <message>
        <source>&amp;Monitor</source>
        <translation>&amp;Monitor</translation>
    </message>
    <message>
        <source>The channels&apos; received data in one pane, in the order it arrived</source>
        <translation>Die Empfangsdaten der Kanäle in einem Feld, in der Reihenfolge ihres Eintreffens</translation>
    </message>
</context>
<context>
    <name>MonitorPane</name>
    <message>
        <source>The monitor&apos;s pane dropped its oldest text; its batches were forgotten.</source>
        <translation>Der Bereich des Monitors hat seinen ältesten Text verworfen; seine Blöcke wurden vergessen.</translation>
    </message>
</context>
<context>
    <name>MonitorWindow</name>
    <message>
        <source>Monitor</source>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>Save Pane &amp;As...</source>
        <translation>Feld speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Comm Port &amp;%1</source>
        <translation>Anschluss &amp;%1</translation>
    </message>
    <message>
        <source>ASCII</source>
        <translation>ASCII</translation>
    </message>
    <message>
        <source>Hex</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>Decimal</source>
        <translation>Dezimal</translation>
    </message>
    <message>
        <source>Dump</source>
        <translation>Dump</translation>
    </message>
    <message>
        <source>No Times</source>
        <translation>Keine Zeiten</translation>
    </message>
    <message>
        <source>Time of Day</source>
        <translation>Uhrzeit</translation>
    </message>
    <message>
        <source>Time Since First Line</source>
        <translation>Zeit seit erster Zeile</translation>
    </message>
    <message>
        <source>Time Since Previous Line</source>
        <translation>Zeit seit vorheriger Zeile</translation>
    </message>
    <message>
        <source>Times in &amp;Copies and Saves</source>
        <translation>&amp;Zeiten beim Kopieren und Speichern</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>&amp;Format</source>
        <translation>&amp;Format</translation>
    </message>
    <message>
        <source>&amp;Times</source>
        <translation>&amp;Zeiten</translation>
    </message>
    <message>
        <source>%1 was not saved.</source>
        <translation>%1 wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>Save Monitor Pane As</source>
        <translation>Monitorfeld speichern unter</translation>
    </message>
    <message>
        <source>Text (*.txt);;All files (*)</source>
        <translation>Text (*.txt);;Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>MqttPublisher</name>
    <message>
        <source>No broker is named (Host).</source>
        <translation>Kein Broker ist angegeben (Host).</translation>
    </message>
    <message>
        <source>The password file %1 can&apos;t be read: %2</source>
        <translation>Die Passwortdatei %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The queue %1 is in use by another VarnokTerm with the client id %2.</source>
        <translation>Die Warteschlange %1 wird von einem anderen VarnokTerm mit der Client-ID %2 benutzt.</translation>
    </message>
    <message>
        <source>connecting to %1 port %2</source>
        <translation>Verbindung zu %1 Port %2 wird aufgebaut</translation>
    </message>
    <message numerus="yes">
        <source>MQTT: %n message(s) from an earlier run wait in the queue.</source>
        <translation>
            <numerusform>MQTT: %n Nachricht aus einem früheren Lauf wartet in der Warteschlange.</numerusform>
            <numerusform>MQTT: %n Nachrichten aus einem früheren Lauf warten in der Warteschlange.</numerusform>
        </translation>
    </message>
    <message>
        <source>MQTT: connected to %1 port %2.</source>
        <translation>MQTT: verbunden mit %1 Port %2.</translation>
    </message>
    <message>
        <source>the broker refused the connection: %1</source>
        <translation>der Broker hat die Verbindung abgelehnt: %1</translation>
    </message>
    <message>
        <source>not connected: %1</source>
        <translation>nicht verbunden: %1</translation>
    </message>
    <message>
        <source>MQTT: %1 (tried again each second).</source>
        <translation>MQTT: %1 (jede Sekunde neu versucht).</translation>
    </message>
    <message numerus="yes">
        <source>MQTT: %n byte(s) from %1 were not sent: the channel is off or its queue is full.</source>
        <translation>
            <numerusform>MQTT: %n Byte von %1 wurde nicht gesendet: der Kanal ist aus oder seine Warteschlange voll.</numerusform>
            <numerusform>MQTT: %n Bytes von %1 wurden nicht gesendet: der Kanal ist aus oder seine Warteschlange voll.</numerusform>
        </translation>
    </message>
    <message>
        <source>MQTT: off</source>
        <translation>MQTT: aus</translation>
    </message>
    <message>
        <source>MQTT: %1, queued %2, dropped %3</source>
        <translation>MQTT: %1, wartend %2, verworfen %3</translation>
    </message>
    <message>
        <source>connected</source>
        <translation>verbunden</translation>
    </message>
    <message>
        <source>not connected</source>
        <translation>nicht verbunden</translation>
    </message>
    <message>
        <source>MQTT: the queue is full: %1 oldest message(s) dropped, %2 in all.</source>
        <translation>MQTT: die Warteschlange ist voll: %1 älteste Nachricht(en) verworfen, %2 insgesamt.</translation>
    </message>
    <message>
        <source>A client certificate needs TLS: name the CA file too.</source>
        <translation>Ein Client-Zertifikat braucht TLS: geben Sie auch die CA-Datei an.</translation>
    </message>
    <message>
        <source>The client certificate and its key go together: name both.</source>
        <translation>Client-Zertifikat und Schlüssel gehören zusammen: geben Sie beide an.</translation>
    </message>
    <message>
        <source>CA file</source>
        <translation>CA-Datei</translation>
    </message>
    <message>
        <source>certificate file</source>
        <translation>Zertifikatsdatei</translation>
    </message>
    <message>
        <source>key file</source>
        <translation>Schlüsseldatei</translation>
    </message>
    <message>
        <source>The %1 %2 can&apos;t be used: %3</source>
        <translation>%1 %2 kann nicht verwendet werden: %3</translation>
    </message>
</context>
<context>
    <name>NamedFile</name>
    <message>
        <source>It is a folder, not a regular file.</source>
        <translation>Es ist ein Ordner, keine normale Datei.</translation>
    </message>
    <message>
        <source>a named pipe (FIFO)</source>
        <translation>eine benannte Pipe (FIFO)</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>ein Gerät</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>something else</source>
        <translation>etwas anderes</translation>
    </message>
    <message>
        <source>It is %1, not a regular file.</source>
        <translation>Es ist %1, keine normale Datei.</translation>
    </message>
    <message>
        <source>It is larger than %1 kB, too large to read here.</source>
        <translation>Sie ist größer als %1 kB, zu groß, um hier gelesen zu werden.</translation>
    </message>
</context>
<context>
    <name>PaneFindBox</name>
    <message>
        <source>Find in %1</source>
        <translation>Suchen in %1</translation>
    </message>
    <message>
        <source>Fi&amp;nd:</source>
        <translation>&amp;Suchen:</translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation>&amp;Groß-/Kleinschreibung beachten</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>&amp;Weiter</translation>
    </message>
    <message>
        <source>&amp;Previous</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Search stopped</source>
        <translation>Suche abgebrochen</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Nicht gefunden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Searching… %1%</source>
        <translation>Suche… %1 %</translation>
    </message>
    <message>
        <source>Went round to the start</source>
        <translation>Am Anfang fortgesetzt</translation>
    </message>
    <message>
        <source>Went round to the end</source>
        <translation>Am Ende fortgesetzt</translation>
    </message>
</context>
<context>
    <name>PlotCommands</name>
    <message>
        <source>Export Plot &amp;Data as CSV</source>
        <translation>Diagrammdaten als &amp;CSV exportieren</translation>
    </message>
    <message>
        <source>Comm Port &amp;%1...</source>
        <translation>Anschluss &amp;%1...</translation>
    </message>
    <message>
        <source>P&amp;lot</source>
        <translation>&amp;Diagramm</translation>
    </message>
    <message>
        <source>The numbers the channel receives, plotted over time</source>
        <translation>Die Zahlen, die der Kanal empfängt, über der Zeit gezeichnet</translation>
    </message>
</context>
<context>
    <name>PlotView</name>
    <message>
        <source>No numbers received yet.</source>
        <translation>Noch keine Zahlen empfangen.</translation>
    </message>
    <message>
        <source>Plotting is off.</source>
        <translation>Das Diagramm ist aus.</translation>
    </message>
    <message numerus="yes">
        <source>%n number(s) of further series not plotted (at most %1 series).</source>
        <translation>
            <numerusform>%n Zahl weiterer Reihen nicht gezeichnet (höchstens %1 Reihen).</numerusform>
            <numerusform>%n Zahlen weiterer Reihen nicht gezeichnet (höchstens %1 Reihen).</numerusform>
        </translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Latest values: %1</source>
        <translation>Letzte Werte: %1</translation>
    </message>
</context>
<context>
    <name>PlotWindow</name>
    <message>
        <source>&amp;Pause</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>Comm Port %1 Plot</source>
        <translation>Diagramm Anschluss %1</translation>
    </message>
    <message>
        <source>Comm Port %1 plot</source>
        <translation>Diagramm von Anschluss %1</translation>
    </message>
    <message>
        <source>Last 10 s</source>
        <translation>Letzte 10 s</translation>
    </message>
    <message>
        <source>Last minute</source>
        <translation>Letzte Minute</translation>
    </message>
    <message>
        <source>Last 10 minutes</source>
        <translation>Letzte 10 Minuten</translation>
    </message>
    <message>
        <source>Last hour</source>
        <translation>Letzte Stunde</translation>
    </message>
    <message>
        <source>Whole capture</source>
        <translation>Ganze Aufnahme</translation>
    </message>
    <message>
        <source>Time shown</source>
        <translation>Gezeigte Zeit</translation>
    </message>
    <message>
        <source>Follow the newest numbers over this time, or show the whole capture</source>
        <translation>Den neuesten Zahlen über diese Zeit folgen oder die ganze Aufnahme zeigen</translation>
    </message>
    <message>
        <source>Keep the time shown while numbers go on arriving (Space)</source>
        <translation>Die gezeigte Zeit behalten, während weiter Zahlen ankommen (Leertaste)</translation>
    </message>
    <message>
        <source>&amp;Series</source>
        <translation>&amp;Reihen</translation>
    </message>
    <message>
        <source>Series shown</source>
        <translation>Gezeigte Reihen</translation>
    </message>
    <message>
        <source>Pa&amp;ttern:</source>
        <translation>&amp;Muster:</translation>
    </message>
    <message>
        <source>Pattern</source>
        <translation>Muster</translation>
    </message>
    <message>
        <source>automatic: key=value pairs or columns</source>
        <translation>automatisch: Schlüssel=Wert-Paare oder Spalten</translation>
    </message>
    <message>
        <source>A regular expression whose named groups are the series, such as T=(?&lt;T&gt;\S+)</source>
        <translation>Ein regulärer Ausdruck, dessen benannte Gruppen die Reihen sind, etwa T=(?&lt;T&gt;\S+)</translation>
    </message>
    <message>
        <source>Pattern error</source>
        <translation>Fehler im Muster</translation>
    </message>
    <message>
        <source>&amp;Export CSV...</source>
        <translation>CSV &amp;exportieren...</translation>
    </message>
    <message>
        <source>Save &amp;Image...</source>
        <translation>&amp;Bild speichern...</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>Forget every number plotted so far</source>
        <translation>Alle bisher gezeichneten Zahlen vergessen</translation>
    </message>
    <message numerus="yes">
        <source>Last %n s</source>
        <translation>
            <numerusform>Letzte %n s</numerusform>
            <numerusform>Letzte %n s</numerusform>
        </translation>
    </message>
    <message>
        <source>The pattern was not taken: %1</source>
        <translation>Das Muster wurde nicht übernommen: %1</translation>
    </message>
    <message>
        <source>No series yet</source>
        <translation>Noch keine Reihen</translation>
    </message>
    <message>
        <source>Export Comm Port %1 Plot Data</source>
        <translation>Diagrammdaten von Anschluss %1 exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv);;All files (*)</source>
        <translation>CSV-Dateien (*.csv);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>The plot data was not exported.</source>
        <translation>Die Diagrammdaten wurden nicht exportiert.</translation>
    </message>
    <message>
        <source>Save Comm Port %1 Plot as Image</source>
        <translation>Diagramm von Anschluss %1 als Bild speichern</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>PNG-Bilder (*.png)</translation>
    </message>
    <message>
        <source>The plot image was not saved.</source>
        <translation>Das Diagrammbild wurde nicht gespeichert.</translation>
    </message>
</context>
<context>
    <name>PrintJob</name>
    <message>
        <source>Printing Comm Port 1...</source>
        <translation>Anschluss 1 wird gedruckt...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
</context>
<context>
    <name>ProgramStart</name>
    <message>
        <source>--record %1 is for runs with --headless: in the window, use File &gt; Export Plot Data as CSV.</source>
        <translation>--record %1 gilt für Läufe mit --headless: im Fenster Datei &gt; Diagrammdaten als CSV exportieren wählen.</translation>
    </message>
    <message>
        <source>Recording did not start.</source>
        <translation>Die Aufzeichnung wurde nicht gestartet.</translation>
    </message>
</context>
<context>
    <name>QDialog</name>
    <message>
        <source>Replay a Recording</source>
        <translation>Aufzeichnung wiedergeben</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Durchsuchen...</translation>
    </message>
    <message>
        <source>Comm Port %1</source>
        <translation>Anschluss %1</translation>
    </message>
    <message>
        <source>Into the receive pane, as if received</source>
        <translation>In das Empfangsfeld, als wäre es empfangen</translation>
    </message>
    <message>
        <source>Out of the channel, to the device</source>
        <translation>Aus dem Kanal hinaus, an das Gerät</translation>
    </message>
    <message>
        <source>As fast as possible</source>
        <translation>So schnell wie möglich</translation>
    </message>
    <message>
        <source> bytes/s</source>
        <translation> Bytes/s</translation>
    </message>
    <message>
        <source>ASCII</source>
        <translation>ASCII</translation>
    </message>
    <message>
        <source>Decimal</source>
        <translation>Dezimal</translation>
    </message>
    <message>
        <source>Hex</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>&amp;Recording (.bin or .log):</source>
        <translation>Auf&amp;zeichnung (.bin oder .log):</translation>
    </message>
    <message>
        <source>&amp;Channel:</source>
        <translation>&amp;Kanal:</translation>
    </message>
    <message>
        <source>&amp;Plays:</source>
        <translation>&amp;Wiedergabe:</translation>
    </message>
    <message>
        <source>Raw &amp;rate:</source>
        <translation>&amp;Rate für Rohdaten:</translation>
    </message>
    <message>
        <source>Log bytes &amp;written as:</source>
        <translation>&amp;Bytes im Protokoll geschrieben als:</translation>
    </message>
    <message>
        <source>Every channel&apos;s</source>
        <translation>Die aller Kanäle</translation>
    </message>
    <message>
        <source>Comm Port %1&apos;s only</source>
        <translation>Nur die von Anschluss %1</translation>
    </message>
    <message>
        <source>Log &amp;lines played:</source>
        <translation>Gespielte Protoko&amp;llzeilen:</translation>
    </message>
    <message>
        <source>Recordings (*.bin *.log);;All files (*)</source>
        <translation>Aufzeichnungen (*.bin *.log);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>Publish to MQTT</source>
        <translation>An MQTT veröffentlichen</translation>
    </message>
    <message>
        <source>&amp;Publish what the channels receive</source>
        <translation>Empfangenes der Kanäle &amp;veröffentlichen</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>0: sent once, unconfirmed</source>
        <translation>0: einmal gesendet, unbestätigt</translation>
    </message>
    <message>
        <source>1: confirmed by the broker</source>
        <translation>1: vom Broker bestätigt</translation>
    </message>
    <message>
        <source>A line, as JSON with its time and sequence number</source>
        <translation>Eine Zeile, als JSON mit Zeit und Folgenummer</translation>
    </message>
    <message>
        <source>A line&apos;s bytes alone</source>
        <translation>Nur die Bytes einer Zeile</translation>
    </message>
    <message>
        <source>A batch of bytes as received</source>
        <translation>Ein Block Bytes wie empfangen</translation>
    </message>
    <message>
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <source>&amp;Send what arrives on the channels&apos; tx topics</source>
        <translation>Was auf den tx-Topics der Kanäle ankommt, &amp;senden</translation>
    </message>
    <message>
        <source>Every client that may publish to these topics can then write to the device.</source>
        <translation>Jeder Client, der auf diese Topics veröffentlichen darf, kann dann auf das Gerät schreiben.</translation>
    </message>
    <message>
        <source>&amp;Broker:</source>
        <translation>&amp;Broker:</translation>
    </message>
    <message>
        <source>P&amp;ort:</source>
        <translation>P&amp;ort:</translation>
    </message>
    <message>
        <source>&amp;Node name:</source>
        <translation>&amp;Knotenname:</translation>
    </message>
    <message>
        <source>&amp;Client id:</source>
        <translation>&amp;Client-ID:</translation>
    </message>
    <message>
        <source>&amp;User name:</source>
        <translation>Ben&amp;utzername:</translation>
    </message>
    <message>
        <source>Pass&amp;word file:</source>
        <translation>Pass&amp;wortdatei:</translation>
    </message>
    <message>
        <source>Password file</source>
        <translation>Passwortdatei</translation>
    </message>
    <message>
        <source>&amp;TLS CA file:</source>
        <translation>&amp;TLS-CA-Datei:</translation>
    </message>
    <message>
        <source>TLS CA file</source>
        <translation>TLS-CA-Datei</translation>
    </message>
    <message>
        <source>&amp;Keep-alive:</source>
        <translation>Keep-a&amp;live:</translation>
    </message>
    <message>
        <source>&amp;QoS:</source>
        <translation>&amp;QoS:</translation>
    </message>
    <message>
        <source>&amp;Message:</source>
        <translation>&amp;Nachricht:</translation>
    </message>
    <message>
        <source>Q&amp;ueue on disk at most:</source>
        <translation>Warteschlange auf der Platte &amp;höchstens:</translation>
    </message>
    <message>
        <source>Bridge</source>
        <translation>Brücke</translation>
    </message>
    <message>
        <source>&amp;Bridge two channels</source>
        <translation>Zwei Kanäle &amp;verbinden</translation>
    </message>
    <message>
        <source>What one channel receives goes out of the other, while both show and record it; typing still goes to the channel typed in</source>
        <translation>Was ein Kanal empfängt, geht aus dem anderen hinaus, während beide es anzeigen und aufzeichnen; Eingaben gehen weiter an den Kanal, in dem getippt wird</translation>
    </message>
    <message>
        <source>What the first receives goes out of the second</source>
        <translation>Was der erste empfängt, geht aus dem zweiten hinaus</translation>
    </message>
    <message>
        <source>What the second receives goes out of the first</source>
        <translation>Was der zweite empfängt, geht aus dem ersten hinaus</translation>
    </message>
    <message>
        <source>Both ways</source>
        <translation>In beide Richtungen</translation>
    </message>
    <message>
        <source>&amp;First:</source>
        <translation>&amp;Erster:</translation>
    </message>
    <message>
        <source>&amp;Second:</source>
        <translation>&amp;Zweiter:</translation>
    </message>
    <message>
        <source>&amp;Way:</source>
        <translation>&amp;Richtung:</translation>
    </message>
    <message>
        <source>Publish the numbers in each line on the &amp;values topics</source>
        <translation>Die Zahlen jeder Zeile auf den &amp;values-Topics veröffentlichen</translation>
    </message>
    <message>
        <source>Client c&amp;ertificate:</source>
        <translation>Client-&amp;Zertifikat:</translation>
    </message>
    <message>
        <source>Client certificate</source>
        <translation>Client-Zertifikat</translation>
    </message>
    <message>
        <source>Client ke&amp;y:</source>
        <translation>Client-Schl&amp;üssel:</translation>
    </message>
    <message>
        <source>Client key</source>
        <translation>Client-Schlüssel</translation>
    </message>
</context>
<context>
    <name>QMenu</name>
    <message>
        <source>&amp;Enter Sends</source>
        <translation>&amp;Enter sendet</translation>
    </message>
    <message>
        <source>Comm Port &amp;%1</source>
        <translation>Anschluss &amp;%1</translation>
    </message>
    <message>
        <source>Local &amp;Echo</source>
        <translation>Lokales &amp;Echo</translation>
    </message>
    <message>
        <source>&amp;Dump View</source>
        <translation>&amp;Dump-Ansicht</translation>
    </message>
    <message>
        <source>&amp;Terminal</source>
        <translation>&amp;Terminal-Ansicht</translation>
    </message>
    <message>
        <source>&amp;New Line On</source>
        <translation>&amp;Neue Zeile bei</translation>
    </message>
    <message>
        <source>&amp;Receive View</source>
        <translation>Empfangs&amp;ansicht</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>The file can&apos;t be written there.</source>
        <translation>Die Datei kann dort nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>There is no such file.</source>
        <translation>Diese Datei gibt es nicht.</translation>
    </message>
    <message>
        <source>It is not a setup file. %1</source>
        <translation>Es ist keine Konfigurationsdatei. %1</translation>
    </message>
    <message>
        <source>It is not a setup file: it has none of the sections %1.</source>
        <translation>Es ist keine Konfigurationsdatei: sie hat keinen der Abschnitte %1.</translation>
    </message>
    <message>
        <source>It is not a setup file.</source>
        <translation>Es ist keine Konfigurationsdatei.</translation>
    </message>
    <message>
        <source>A temporary copy of it can&apos;t be made: %1</source>
        <translation>Eine vorläufige Kopie davon lässt sich nicht anlegen: %1</translation>
    </message>
    <message numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> und %n weiterer</numerusform>
            <numerusform> und %n weitere</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n value(s) kept as they were: %1</source>
        <translation>
            <numerusform>%n Wert blieb unverändert: %1</numerusform>
            <numerusform>%n Werte blieben unverändert: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n value(s) kept as they were, for an escape a setup file does not know (it knows \t, \\ and \&quot;): %1</source>
        <translation>
            <numerusform>%n Wert blieb unverändert, wegen einer Escape-Folge, die eine Konfigurationsdatei nicht kennt (sie kennt \t, \\ und \&quot;): %1</numerusform>
            <numerusform>%n Werte blieben unverändert, wegen einer Escape-Folge, die eine Konfigurationsdatei nicht kennt (sie kennt \t, \\ und \&quot;): %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n key(s) that are not setup values: %1</source>
        <translation>
            <numerusform>%n Schlüssel, der kein Konfigurationswert ist: %1</numerusform>
            <numerusform>%n Schlüssel, die keine Konfigurationswerte sind: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 already exists.</source>
        <translation>%1 gibt es bereits.</translation>
    </message>
    <message>
        <source>Add the recording to its end, or replace it?</source>
        <translation>Die Aufzeichnung an ihr Ende anhängen oder die Datei ersetzen?</translation>
    </message>
    <message>
        <source>&amp;Append</source>
        <translation>&amp;Anhängen</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>Raw bytes (*.bin)</source>
        <translation>Rohe Bytes (*.bin)</translation>
    </message>
    <message>
        <source>Text as shown (*.txt)</source>
        <translation>Text wie angezeigt (*.txt)</translation>
    </message>
    <message>
        <source>Timestamped log (*.log)</source>
        <translation>Protokoll mit Zeitstempeln (*.log)</translation>
    </message>
    <message>
        <source>VarnokTerm setups (*.%1)</source>
        <translation>VarnokTerm-Konfigurationen (*.%1)</translation>
    </message>
    <message>
        <source>The setup has Comm Port %1 listen on TCP port %2 at &quot;%3&quot;, beyond this machine&apos;s loopback. Listen there?</source>
        <translation>Laut Konfiguration lauscht Anschluss %1 am TCP-Port %2 an „%3“, über die Loopback-Adresse dieses Rechners hinaus. Dort lauschen?</translation>
    </message>
    <message>
        <source>Any machine that reaches this one may connect, and the first client gets everything the channel sends: what is typed, sent by the send buttons, sent from files and replayed. No leaves the channel off.</source>
        <translation>Jeder Rechner, der diesen erreicht, kann sich verbinden, und der erste Client erhält alles, was der Kanal sendet: was eingegeben, mit den Sendeknöpfen oder aus Dateien gesendet und wiedergegeben wird. Nein lässt den Kanal aus.</translation>
    </message>
    <message>
        <source>The folder %1 can&apos;t be made.</source>
        <translation>Der Ordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The queue&apos;s file %1 can&apos;t be written: %2</source>
        <translation>Die Datei %1 der Warteschlange kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The queue&apos;s file %1 is shorter than it was written.</source>
        <translation>Die Datei %1 der Warteschlange ist kürzer, als sie geschrieben wurde.</translation>
    </message>
    <message>
        <source>the broker closed the connection</source>
        <translation>der Broker hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>It has a section [Channel%1]: a setup opens at most %2 channels, [Channel1] to [Channel%2].</source>
        <translation>Sie hat einen Abschnitt [Channel%1]: eine Konfiguration öffnet höchstens %2 Kanäle, [Channel1] bis [Channel%2].</translation>
    </message>
    <message>
        <source>the CA file %1 or the certificate and key files can&apos;t be used: %2</source>
        <translation>die CA-Datei %1 oder die Zertifikats- und Schlüsseldateien können nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>the TLS handshake failed (%1); the broker&apos;s certificate was checked against the CA file %2</source>
        <translation>der TLS-Verbindungsaufbau ist gescheitert (%1); das Zertifikat des Brokers wurde mit der CA-Datei %2 geprüft</translation>
    </message>
</context>
<context>
    <name>ReceiveViewMenu</name>
    <message>
        <source>&amp;Any (CR, LF or CR LF)</source>
        <translation>&amp;Jedem (CR, LF oder CR LF)</translation>
    </message>
    <message>
        <source>CR LF (&amp;Both)</source>
        <translation>CR LF (&amp;beide)</translation>
    </message>
    <message>
        <source>&amp;LF</source>
        <translation>&amp;LF</translation>
    </message>
    <message>
        <source>&amp;CR</source>
        <translation>&amp;CR</translation>
    </message>
</context>
<context>
    <name>ReceivedFile</name>
    <message>
        <source>its name leads outside the receive folder</source>
        <translation>ihr Name führt aus dem Empfangsordner hinaus</translation>
    </message>
    <message>
        <source>%1 in the receive folder is not a folder</source>
        <translation>%1 im Empfangsordner ist kein Ordner</translation>
    </message>
</context>
<context>
    <name>RecentSetups</name>
    <message>
        <source>Re&amp;cent Setups</source>
        <translation>&amp;Letzte Konfigurationen</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Leeren</translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>the disk did not keep up: %1 MB were waiting to be written</source>
        <translation>der Datenträger kam nicht nach: %1 MB warteten darauf, geschrieben zu werden</translation>
    </message>
</context>
<context>
    <name>Recordings</name>
    <message>
        <source>Both channels are already recorded to one log, %1: there is one such log at a time.</source>
        <translation>Beide Anschlüsse werden bereits in ein Protokoll aufgezeichnet, %1: es gibt nur eines zur Zeit.</translation>
    </message>
    <message>
        <source>Comm Port %1 is already recorded to %2 (%3): a channel has one recording at a time, besides the log of both channels.</source>
        <translation>Anschluss %1 wird bereits in %2 aufgezeichnet (%3): ein Anschluss hat eine Aufzeichnung zur Zeit, neben dem Protokoll beider Anschlüsse.</translation>
    </message>
    <message>
        <source>%1 is already being recorded to, as %2.</source>
        <translation>In %1 wird bereits aufgezeichnet, als %2.</translation>
    </message>
    <message>
        <source>raw bytes</source>
        <translation>rohe Bytes</translation>
    </message>
    <message>
        <source>text as shown</source>
        <translation>Text wie angezeigt</translation>
    </message>
    <message>
        <source>timestamped log</source>
        <translation>Protokoll mit Zeitstempeln</translation>
    </message>
    <message>
        <source>%1 is already being recorded to.</source>
        <translation>In %1 wird bereits aufgezeichnet.</translation>
    </message>
    <message>
        <source>%1 can&apos;t be opened for writing: %2</source>
        <translation>%1 kann nicht zum Schreiben geöffnet werden: %2</translation>
    </message>
    <message>
        <source>There is no Comm Port %1.</source>
        <translation>Es gibt keinen Anschluss %1.</translation>
    </message>
</context>
<context>
    <name>ReplayCommands</name>
    <message>
        <source>Rep&amp;lay...</source>
        <translation>Aufzeichnung &amp;wiedergeben...</translation>
    </message>
    <message>
        <source>Stop Repla&amp;y</source>
        <translation>Wiedergabe &amp;stoppen</translation>
    </message>
</context>
<context>
    <name>Replayer</name>
    <message>
        <source>Comm Port %1 is already replaying.</source>
        <translation>Anschluss %1 spielt bereits eine Aufzeichnung ab.</translation>
    </message>
    <message>
        <source>%1 is not a recording: replay takes a raw recording (.bin) or a timestamped log (.log).</source>
        <translation>%1 ist keine Aufzeichnung: wiedergegeben werden eine Rohaufzeichnung (.bin) oder ein Protokoll mit Zeitstempeln (.log).</translation>
    </message>
    <message>
        <source>Switch Comm Port %1 on first.</source>
        <translation>Schalten Sie zuerst Anschluss %1 ein.</translation>
    </message>
    <message>
        <source>Choose a rate above 0 bytes/s.</source>
        <translation>Wählen Sie eine Rate über 0 Bytes/s.</translation>
    </message>
    <message>
        <source>%1 can&apos;t be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 is not a recording: %2</source>
        <translation>%1 ist keine Aufzeichnung: %2</translation>
    </message>
    <message>
        <source>Replay of %1 stopped.</source>
        <translation>Die Wiedergabe von %1 wurde beendet.</translation>
    </message>
    <message>
        <source>Replay of %1 done.</source>
        <translation>Die Wiedergabe von %1 ist abgeschlossen.</translation>
    </message>
    <message>
        <source>The file holds no log lines.</source>
        <translation>Die Datei enthält keine Protokollzeilen.</translation>
    </message>
    <message>
        <source>Replay of %1 stopped: %2</source>
        <translation>Die Wiedergabe von %1 wurde beendet: %2</translation>
    </message>
    <message numerus="yes">
        <source>Line %1 of %2 comes %n day(s) after the line before: it is played without waiting.</source>
        <translation>
            <numerusform>Zeile %1 von %2 kommt %n Tag nach der Zeile davor: sie wird ohne Wartezeit abgespielt.</numerusform>
            <numerusform>Zeile %1 von %2 kommt %n Tage nach der Zeile davor: sie wird ohne Wartezeit abgespielt.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ScriptCommands</name>
    <message>
        <source>R&amp;un Script...</source>
        <translation>Skript &amp;ausführen...</translation>
    </message>
    <message>
        <source>S&amp;top Script</source>
        <translation>Skript &amp;beenden</translation>
    </message>
    <message>
        <source>Run Script</source>
        <translation>Skript ausführen</translation>
    </message>
    <message>
        <source>Scripts (*.js);;All files (*)</source>
        <translation>Skripte (*.js);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Script %1 started</source>
        <translation>Skript %1 gestartet</translation>
    </message>
    <message>
        <source>The script stopped with an error.</source>
        <translation>Das Skript wurde mit einem Fehler beendet.</translation>
    </message>
    <message>
        <source>The script %1 has run for %2 s without sending, expecting or waiting. It may be in an endless loop.</source>
        <translation>Das Skript %1 läuft seit %2 s, ohne zu senden, zu erwarten oder zu warten. Es steckt vielleicht in einer Endlosschleife.</translation>
    </message>
    <message>
        <source>Stop Script</source>
        <translation>Skript beenden</translation>
    </message>
    <message>
        <source>Let It Run</source>
        <translation>Weiterlaufen lassen</translation>
    </message>
</context>
<context>
    <name>ScriptRun</name>
    <message>
        <source>The script %1 is still running.</source>
        <translation>Das Skript %1 läuft noch.</translation>
    </message>
    <message>
        <source>The script %1 could not be read: %2</source>
        <translation>Das Skript %1 konnte nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>SendButtonBar</name>
    <message>
        <source>Comm Port %1 Send Buttons</source>
        <translation>Sendeknöpfe von Anschluss %1</translation>
    </message>
    <message>
        <source>Comm Port %1:</source>
        <translation>Anschluss %1:</translation>
    </message>
    <message>
        <source>%1 (F%2)</source>
        <translation>%1 (F%2)</translation>
    </message>
    <message>
        <source>Sends %1 every %2 ms until pressed again</source>
        <translation>Sendet %1 alle %2 ms, bis er erneut gedrückt wird</translation>
    </message>
    <message>
        <source>Sends %1</source>
        <translation>Sendet %1</translation>
    </message>
</context>
<context>
    <name>SendButtonCommands</name>
    <message>
        <source>Send Buttons...</source>
        <translation>Sendeknöpfe...</translation>
    </message>
    <message>
        <source>Send &amp;Buttons</source>
        <translation>Sende&amp;knöpfe</translation>
    </message>
    <message>
        <source>Comm Port &amp;%1...</source>
        <translation>Anschluss &amp;%1...</translation>
    </message>
</context>
<context>
    <name>SendButtons</name>
    <message>
        <source>There are %1 send buttons.</source>
        <translation>Es gibt %1 Sendeknöpfe.</translation>
    </message>
    <message>
        <source>Repeat every %1 to %2 ms, or 0 to send once.</source>
        <translation>Wiederholung alle %1 bis %2 ms, oder 0, um einmal zu senden.</translation>
    </message>
    <message>
        <source>Comm Port %1, button &quot;%2&quot;</source>
        <translation>Anschluss %1, Knopf „%2“</translation>
    </message>
    <message>
        <source>%1: nothing sent, the port is off.</source>
        <translation>%1: nichts gesendet, der Anschluss ist aus.</translation>
    </message>
    <message>
        <source>%1: nothing sent, the port waits to reconnect.</source>
        <translation>%1: nichts gesendet, der Anschluss wartet darauf, sich neu zu verbinden.</translation>
    </message>
    <message>
        <source>%1: nothing sent, too much waits to go out.</source>
        <translation>%1: nichts gesendet, zu viel wartet auf das Senden.</translation>
    </message>
    <message>
        <source>The text has %1 characters; a button sends at most %2.</source>
        <translation>Der Text hat %1 Zeichen; ein Knopf sendet höchstens %2.</translation>
    </message>
</context>
<context>
    <name>SendButtonsDialog</name>
    <message>
        <source>He&amp;x pairs (41 42 0D)</source>
        <translation>He&amp;x-Paare (41 42 0D)</translation>
    </message>
    <message>
        <source>Comm Port %1 Send Buttons</source>
        <translation>Sendeknöpfe von Anschluss %1</translation>
    </message>
    <message>
        <source>F%1</source>
        <translation>F%1</translation>
    </message>
    <message>
        <source>Text, with \r \n \t \\ \xHH</source>
        <translation>Text, mit \r \n \t \\ \xHH</translation>
    </message>
    <message>
        <source> ms</source>
        <translation> ms</translation>
    </message>
    <message>
        <source>Send once</source>
        <translation>Einmal senden</translation>
    </message>
    <message>
        <source>&amp;Button:</source>
        <translation>&amp;Knopf:</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>Sen&amp;ds:</source>
        <translation>Sen&amp;det:</translation>
    </message>
    <message>
        <source>Repeat e&amp;very:</source>
        <translation>&amp;Wiederholen alle:</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Give the button a name.</source>
        <translation>Geben Sie dem Knopf einen Namen.</translation>
    </message>
    <message>
        <source>Saved as F%1.</source>
        <translation>Als F%1 gespeichert.</translation>
    </message>
    <message>
        <source>Removed.</source>
        <translation>Entfernt.</translation>
    </message>
</context>
<context>
    <name>SendFileCommands</name>
    <message>
        <source>Send File to Comm Port &amp;%1...</source>
        <translation>Datei an Anschluss &amp;%1 senden...</translation>
    </message>
    <message>
        <source>Switch Comm Port %1 on first.</source>
        <translation>Schalten Sie zuerst Anschluss %1 ein.</translation>
    </message>
    <message>
        <source>Send File to Comm Port %1</source>
        <translation>Datei an Anschluss %1 senden</translation>
    </message>
    <message>
        <source>Receive &amp;File from Comm Port %1...</source>
        <translation>Datei &amp;von Anschluss %1 empfangen...</translation>
    </message>
    <message>
        <source>Recei&amp;ve File from Comm Port %1...</source>
        <translation>Datei von Anschluss %1 empfan&amp;gen...</translation>
    </message>
    <message>
        <source>Send %1</source>
        <translation>%1 senden</translation>
    </message>
    <message>
        <source>Receive File from Comm Port %1</source>
        <translation>Datei von Anschluss %1 empfangen</translation>
    </message>
    <message>
        <source>Save the file as:</source>
        <translation>Datei speichern unter:</translation>
    </message>
    <message>
        <source>A ZMODEM sender on Comm Port %1 asks to start. Receive its file?</source>
        <translation>Ein ZMODEM-Sender an Anschluss %1 möchte beginnen. Seine Datei empfangen?</translation>
    </message>
</context>
<context>
    <name>SendFileDialog</name>
    <message>
        <source>Send File to Comm Port %1</source>
        <translation>Datei an Anschluss %1 senden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Sending %1</source>
        <translation>%1 wird gesendet</translation>
    </message>
    <message>
        <source>%1 could not be sent.</source>
        <translation>%1 konnte nicht gesendet werden.</translation>
    </message>
    <message>
        <source>%1/s</source>
        <translation>%1/s</translation>
    </message>
    <message>
        <source>%1 of %2, %3</source>
        <translation>%1 von %2, %3</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>%1 of %2 bytes were sent.</source>
        <translation>%1 von %2 Bytes wurden gesendet.</translation>
    </message>
    <message>
        <source>Sending %1 was cancelled.</source>
        <translation>Das Senden von %1 wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Sending %1 stopped: Comm Port %2 went off.</source>
        <translation>Das Senden von %1 wurde beendet: Anschluss %2 wurde ausgeschaltet.</translation>
    </message>
    <message>
        <source>Sending %1 stopped: Comm Port %2 lost its port or connection.</source>
        <translation>Das Senden von %1 wurde beendet: Anschluss %2 hat seine Schnittstelle oder Verbindung verloren.</translation>
    </message>
    <message>
        <source>What had not reached it was dropped; the channel waits for it to come back. Send the file again then.</source>
        <translation>Was sie noch nicht erreicht hatte, wurde verworfen; der Kanal wartet auf ihre Rückkehr. Senden Sie die Datei dann erneut.</translation>
    </message>
    <message>
        <source>Sending %1 stopped: the file could not be read on.</source>
        <translation>Das Senden von %1 wurde beendet: die Datei konnte nicht weiter gelesen werden.</translation>
    </message>
</context>
<context>
    <name>SendText</name>
    <message>
        <source>Position %1: %2</source>
        <translation>Position %1: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a single byte; write it as \xHH</source>
        <translation>„%1“ ist kein einzelnes Byte; schreiben Sie es als \xHH</translation>
    </message>
    <message>
        <source>a lone \ at the end; write \\ for a backslash</source>
        <translation>ein einzelnes \ am Ende; schreiben Sie \\ für einen Backslash</translation>
    </message>
    <message>
        <source>\x needs exactly two hex digits (\x0D)</source>
        <translation>\x braucht genau zwei Hex-Ziffern (\x0D)</translation>
    </message>
    <message>
        <source>\%1 is not an escape; use \r \n \t \\ or \xHH</source>
        <translation>\%1 ist keine Escape-Sequenz; verwenden Sie \r \n \t \\ oder \xHH</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a hex digit</source>
        <translation>„%1“ ist keine Hex-Ziffer</translation>
    </message>
    <message>
        <source>a lone hex digit; write bytes as pairs (0D)</source>
        <translation>eine einzelne Hex-Ziffer; schreiben Sie Bytes als Paare (0D)</translation>
    </message>
</context>
<context>
    <name>SentFileHandover</name>
    <message>
        <source>A private name for the file could not be made.</source>
        <translation>Für die Datei konnte kein privater Name angelegt werden.</translation>
    </message>
</context>
<context>
    <name>SerialPortComponent</name>
    <message>
        <source>no parity</source>
        <translation>keine Parität</translation>
    </message>
    <message>
        <source>even parity</source>
        <translation>gerade Parität</translation>
    </message>
    <message>
        <source>odd parity</source>
        <translation>ungerade Parität</translation>
    </message>
    <message>
        <source>mark parity</source>
        <translation>Mark-Parität</translation>
    </message>
    <message>
        <source>space parity</source>
        <translation>Space-Parität</translation>
    </message>
    <message>
        <source>parity %1</source>
        <translation>Parität %1</translation>
    </message>
    <message>
        <source>1 stop bit</source>
        <translation>1 Stoppbit</translation>
    </message>
    <message>
        <source>1.5 stop bits</source>
        <translation>1,5 Stoppbits</translation>
    </message>
    <message>
        <source>2 stop bits</source>
        <translation>2 Stoppbits</translation>
    </message>
    <message>
        <source>%1 stop bits</source>
        <translation>%1 Stoppbits</translation>
    </message>
    <message>
        <source> and </source>
        <translation> und </translation>
    </message>
    <message>
        <source>no serial device has number %1 on this machine</source>
        <translation>auf diesem Rechner hat kein serielles Gerät die Nummer %1</translation>
    </message>
    <message>
        <source>%1 does not exist (no such device)</source>
        <translation>%1 gibt es nicht (kein solches Gerät)</translation>
    </message>
    <message>
        <source>permission denied for %1: serial devices usually belong to the dialout group; join it (sudo usermod -aG dialout $USER) and log in again</source>
        <translation>keine Berechtigung für %1: serielle Geräte gehören meist der Gruppe dialout; treten Sie ihr bei (sudo usermod -aG dialout $USER) und melden Sie sich neu an</translation>
    </message>
    <message>
        <source>%1 is busy: another program has it open</source>
        <translation>%1 ist belegt: ein anderes Programm hat es geöffnet</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>no serial device is chosen</source>
        <translation>kein serielles Gerät ist gewählt</translation>
    </message>
    <message>
        <source>%1 is already open in this program</source>
        <translation>%1 ist in diesem Programm bereits geöffnet</translation>
    </message>
    <message>
        <source>the serial port is not open</source>
        <translation>die serielle Schnittstelle ist nicht geöffnet</translation>
    </message>
    <message>
        <source>the device refused %1</source>
        <translation>das Gerät hat %1 abgelehnt</translation>
    </message>
    <message>
        <source>the device refused the flow control: %1</source>
        <translation>das Gerät hat die Flusskontrolle abgelehnt: %1</translation>
    </message>
    <message>
        <source>the serial device %1 was removed or hung up</source>
        <translation>das serielle Gerät %1 wurde entfernt oder hat aufgelegt</translation>
    </message>
    <message>
        <source>the serial device %1 failed: %2</source>
        <translation>das serielle Gerät %1 ist ausgefallen: %2</translation>
    </message>
    <message>
        <source>speed %1 (it runs at %2)</source>
        <translation>Geschwindigkeit %1 (es läuft mit %2)</translation>
    </message>
</context>
<context>
    <name>SerialSetupDialog</name>
    <message>
        <source>Serial Setup</source>
        <translation>Serielle Einstellungen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>Baud Rate</source>
        <translation>Baudrate</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Daten</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>Parität</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Serial Setup: %1.</source>
        <translation>Serielle Einstellungen: %1.</translation>
    </message>
    <message>
        <source>The settings were not stored.</source>
        <translation>Die Einstellungen wurden nicht gespeichert.</translation>
    </message>
    <message>
        <source>Baud rate</source>
        <translation>Baudrate</translation>
    </message>
    <message>
        <source>Type a speed or choose one below</source>
        <translation>Geben Sie eine Geschwindigkeit ein oder wählen Sie unten eine aus</translation>
    </message>
    <message>
        <source>Baud rates</source>
        <translation>Baudraten</translation>
    </message>
    <message>
        <source>Data bits</source>
        <translation>Datenbits</translation>
    </message>
    <message>
        <source>Stop bits</source>
        <translation>Stoppbits</translation>
    </message>
    <message>
        <source>N none, O odd, E even, + mark, - space</source>
        <translation>N keine, O ungerade, E gerade, + Mark, - Space</translation>
    </message>
    <message>
        <source>Applies to</source>
        <translation>Gilt für</translation>
    </message>
    <message>
        <source>Both channels</source>
        <translation>Beide Kanäle</translation>
    </message>
    <message>
        <source>All channels</source>
        <translation>Alle Kanäle</translation>
    </message>
    <message>
        <source>Comm Port %1</source>
        <translation>Anschluss %1</translation>
    </message>
    <message>
        <source>Comm Port %1 goes on with the settings in use; it switches on with %2 next time.</source>
        <translation>Anschluss %1 bleibt bei den Einstellungen in Gebrauch; beim nächsten Einschalten gilt %2.</translation>
    </message>
</context>
<context>
    <name>SetupCommands</name>
    <message>
        <source>&amp;Open Setup...</source>
        <translation>Konfiguration ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Save Setup &amp;As...</source>
        <translation>Konfiguration speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Save Setup As</source>
        <translation>Konfiguration speichern unter</translation>
    </message>
    <message>
        <source>Open Setup</source>
        <translation>Konfiguration öffnen</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>The setup could not be saved to %1.</source>
        <translation>Die Konfiguration konnte nicht in %1 gespeichert werden.</translation>
    </message>
    <message>
        <source>The setup %1 could not be opened.</source>
        <translation>Die Konfiguration %1 konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Some values of the setup %1 were not used.</source>
        <translation>Einige Werte der Konfiguration %1 wurden nicht übernommen.</translation>
    </message>
    <message>
        <source>Publishing to MQTT could not start.</source>
        <translation>Das Veröffentlichen an MQTT konnte nicht beginnen.</translation>
    </message>
    <message>
        <source>It opens %1 channels and this window has %2: start the program with it (varnokterm %3) to open them all.</source>
        <translation>Sie öffnet %1 Kanäle, und dieses Fenster hat %2: starten Sie das Programm mit ihr (varnokterm %3), um alle zu öffnen.</translation>
    </message>
</context>
<context>
    <name>SetupText</name>
    <message>
        <source>It is larger than %1 kB, too large for a setup file.</source>
        <translation>Sie ist größer als %1 kB, zu groß für eine Konfigurationsdatei.</translation>
    </message>
    <message>
        <source>Line %1 is longer than %2 characters.</source>
        <translation>Zeile %1 ist länger als %2 Zeichen.</translation>
    </message>
    <message>
        <source>Line %1 holds bytes that are not text.</source>
        <translation>Zeile %1 enthält Bytes, die kein Text sind.</translation>
    </message>
    <message>
        <source>Line %1 ends in a backslash, which would join the next line to it.</source>
        <translation>Zeile %1 endet mit einem Backslash, der die nächste Zeile an sie anhängen würde.</translation>
    </message>
    <message>
        <source>Line %1 is not a &quot;key=value&quot; line: %2</source>
        <translation>Zeile %1 ist keine „Schlüssel=Wert“-Zeile: %2</translation>
    </message>
</context>
<context>
    <name>SignOnWindow</name>
    <message>
        <source>Varnok Terminal</source>
        <translation>Varnok Terminal</translation>
    </message>
    <message>
        <source>for </source>
        <translation>für </translation>
    </message>
    <message>
        <source>Data Capture</source>
        <translation>Datenerfassung</translation>
    </message>
</context>
<context>
    <name>TelnetComPort</name>
    <message>
        <source>the server refused the COM port option</source>
        <translation>der Server hat die COM-Port-Option abgelehnt</translation>
    </message>
    <message>
        <source>%1: a raw Telnet connection, without settings or control lines</source>
        <translation>%1: eine reine Telnet-Verbindung, ohne Einstellungen und Steuerleitungen</translation>
    </message>
    <message>
        <source>the server kept its DTR and RTS</source>
        <translation>der Server hat DTR und RTS nicht geändert</translation>
    </message>
    <message>
        <source>the server did not answer the COM port option</source>
        <translation>der Server hat auf die COM-Port-Option nicht geantwortet</translation>
    </message>
    <message>
        <source>the server did not answer DTR and RTS</source>
        <translation>der Server hat auf DTR und RTS nicht geantwortet</translation>
    </message>
    <message>
        <source>%1: the remote device has no control lines</source>
        <translation>%1: das entfernte Gerät hat keine Steuerleitungen</translation>
    </message>
    <message>
        <source>the server sends Telnet requests and does not read the answers: reading paused until it does</source>
        <translation>der Server sendet Telnet-Anfragen und liest die Antworten nicht: das Lesen ruht, bis er sie liest</translation>
    </message>
</context>
<context>
    <name>TimeOutEntry</name>
    <message>
        <source>%1: the time-out must be a whole number of milliseconds from %2 to %3.</source>
        <translation>%1: Der Timeout muss eine ganze Zahl von Millisekunden von %2 bis %3 sein.</translation>
    </message>
</context>
<context>
    <name>TransferDialog</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Send File to Comm Port %1</source>
        <translation>Datei an Anschluss %1 senden</translation>
    </message>
    <message>
        <source>%1 could not be sent.</source>
        <translation>%1 konnte nicht gesendet werden.</translation>
    </message>
    <message>
        <source>Receive File from Comm Port %1</source>
        <translation>Datei von Anschluss %1 empfangen</translation>
    </message>
    <message>
        <source>Nothing can be received into %1.</source>
        <translation>In %1 kann nichts empfangen werden.</translation>
    </message>
    <message>
        <source>Sending %1 by %2</source>
        <translation>Das Senden von %1 per %2</translation>
    </message>
    <message>
        <source>Receiving by %1</source>
        <translation>Der Empfang per %1</translation>
    </message>
    <message>
        <source>What came in is kept in %1.</source>
        <translation>Was angekommen ist, bleibt in %1 erhalten.</translation>
    </message>
    <message>
        <source>Received into %1:</source>
        <translation>Empfangen in %1:</translation>
    </message>
    <message>
        <source>%1 was cancelled.</source>
        <translation>%1 wurde abgebrochen.</translation>
    </message>
    <message>
        <source>%1 failed.</source>
        <translation>%1 ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>%1 stopped: the other side does not answer.</source>
        <translation>%1 wurde beendet: die Gegenseite antwortet nicht.</translation>
    </message>
    <message>
        <source>%1 stopped.</source>
        <translation>%1 wurde beendet.</translation>
    </message>
    <message>
        <source>%1 is already in %2.</source>
        <translation>%1 ist bereits in %2.</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Keep Both</source>
        <translation>Beide behalten</translation>
    </message>
    <message>
        <source>%1 as %2</source>
        <translation>%1 als %2</translation>
    </message>
    <message>
        <source>%1 was not moved: %2; it is in %3</source>
        <translation>%1 wurde nicht verschoben: %2; sie liegt in %3</translation>
    </message>
</context>
<context>
    <name>TransferProtocolChoice</name>
    <message>
        <source>Needs the package lrzsz, which is not installed.</source>
        <translation>Benötigt das Paket lrzsz, das nicht installiert ist.</translation>
    </message>
    <message>
        <source>XMODEM, YMODEM and ZMODEM need the package lrzsz, which is not installed (sudo apt-get install lrzsz).</source>
        <translation>XMODEM, YMODEM und ZMODEM benötigen das Paket lrzsz, das nicht installiert ist (sudo apt-get install lrzsz).</translation>
    </message>
</context>
<context>
    <name>ViewMenu</name>
    <message>
        <source>&amp;View</source>
        <translation>An&amp;sicht</translation>
    </message>
    <message>
        <source>Comm Port &amp;%1</source>
        <translation>Anschluss &amp;%1</translation>
    </message>
</context>
</TS>
