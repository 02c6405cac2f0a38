#include "dialogs/help_pages.h"

namespace korvel::dialogs {

const char* const kComputerPlayersHelp =
    "<p><b>Computer players.</b> When starting a game, the host can fill free seats with "
    "computer players with the <i>Computer Players:</i> counter of the game start dialog. They "
    "take the names Klot, Klick and Kling and play by the same rules, with the same clock, as "
    "everybody else. <i>Options, Bot Speed</i> (Slow, Normal or Fast) sets how quickly they "
    "make their moves.</p>";

const char* const kComputerLevelsHelp =
    "<p><b>Computer levels.</b> The <i>Computer Level:</i> choice of the game start dialog sets "
    "how well the computer players play and which words they know:</p>"
    "<ul>"
    "<li><i>Easy: everyday words, gentle.</i> Every word of its move, the ones across included, "
    "is an everyday English word, and it settles for a move worth about half of its best.</li>"
    "<li><i>Normal: well-known words.</i> It lays its highest-scoring move whose every word is "
    "one most players know.</li>"
    "<li><i>Strong: every word in the list.</i> It uses the whole word list and also weighs the "
    "letters it keeps for its next turns, what its move opens up for the next player, and, once "
    "the bag is empty, plays the rest of the game through in advance to go out first or keep its "
    "opponents from doing so; it buys new tiles when its rack is poor enough for that to "
    "pay.</li>"
    "</ul>"
    "<p>Your first solo game is played at <i>Easy</i>; the level you choose is kept for the next "
    "games.</p>";

namespace {

const char* const kOverview = R"(
<p>Korvel is a word game for up to four players. Each player holds a rack of eight letter tiles
and, in turn, lays tiles on an 11 by 11 board so that they form English words. A tile may go on
an empty square, or on top of a letter that is already on the board, which it then replaces, as
long as the placement follows the rules (see <i>Game Play</i>).</p>
<p>Every letter of every word you form scores its value (see <i>Scoring</i>). Turns are timed;
instead of laying tiles you may pass, or buy a whole new rack for 30 points. The game ends when a
player has used up all their tiles, or when every player has passed since their own last word.
The highest score wins.</p>
<p>Up to five more people can join a game as spectators ("spies"): they watch and chat but do
not play. Everybody in the game shares the chat on the right, with coloured text, actions,
smilies, phrase buttons and short voice clips.</p>
)";

const char* const kConnecting = R"(
<p><b>Solo.</b> Started on its own, Korvel sets up a solo game on this computer under the name
"You": press <i>Start Game</i> to play. A solo game needs no internet connection, but the game
still talks to itself over the network, so your firewall must let Korvel use the network. At the
same time Korvel offers to download the Quon77 Lobby, or to open it if it is already installed;
<i>Play Solo Game</i> simply closes that offer.</p>
<p><b>Playing with others.</b> File, <i>Play with Others...</i> opens the window for games
with other people (so does <i>Play with Others</i> in the lobby offer when the lobby is not
installed). Type <i>Your Name</i>, the name the others see; Korvel remembers it. One player hosts
the game: their copy of Korvel runs it and accepts the other players on TCP port 7772.</p>
<p><b>Hosting.</b> Press <i>Host a Game</i>. Korvel starts again as the host of a new game (it
asks first when you are in a running game). The chat then shows this computer's addresses and the
port, and an invitation link for each address, such as <tt>korvel://192.168.1.20:7772</tt>; File,
<i>Copy Invitation</i> copies the first link, ready to paste into a message to your friends.</p>
<p><b>Joining.</b> Type the host's address in <i>Host Address</i> and press <i>Join</i> (or
Enter). The address is a computer name or a number such as <tt>192.168.1.20</tt>, with
<tt>:port</tt> after it when the host uses another port than 7772, or an invitation link.
<i>Recent Hosts</i> lists the last ten addresses you joined: double-click one, or select it and
press Enter, to join it again. The window also lists the games hosted on this network, with the
host's name, the players and whether the game is running; double-click one to join it. Finding
them needs the Avahi service (avahi-daemon) on both computers. When nobody answers, Korvel says so
in words ("Nobody is hosting at 192.168.1.20 port 7772") and the window opens again, within ten
seconds.</p>
<p><b>Invitation links.</b> A click on a <tt>korvel://</tt> link in a browser or a messenger
starts Korvel with the Play with Others window open, the address filled in and your saved name:
press Enter to join. A link that is not exactly <tt>korvel://ADDRESS:PORT</tt> (or without the
port) is refused with the reason, and Korvel connects nowhere.</p>
<p><b>Your turn.</b> When your turn starts while you are working in another window, Korvel asks
for attention in the taskbar and the desktop shows a notification, "Your turn in Korvel", naming
the move before yours; click it to bring Korvel to the front. Options, <i>Notify on My
Turn</i> turns both off.</p>
<p>From a terminal, <tt>korvel NAME ADDRESS true</tt> hosts under NAME, and
<tt>korvel NAME ADDRESS false</tt> joins the game hosted at ADDRESS, as the Quon77 Lobby
does.</p>
<p><b>When nobody can join.</b> The host's modem, router or firewall must accept incoming TCP
connections on port 7772 and pass them on to the host's computer (on a router this is called
port forwarding). Players who join only need to be able to connect out to port 7772. When you
host, the chat shows the addresses of this computer and the port, so you can tell your friends
where to join; from outside your home network they need the router's public address instead.</p>
<p><b>Opening the port on your router.</b> Check <i>Open the port on my router</i> in the Play
with Others window before you press <i>Host a Game</i>, and Korvel asks your home router (by
NAT-PMP or UPnP, if the router allows it) to forward the port while you host. The chat tells what
the router answered: its outside address with an invitation link for friends outside your
network, which <i>Copy Invitation</i> then copies; or why it did not work. When the router itself
has only a private or shared outside address, as with many mobile and some cable providers,
players outside your network cannot reach you: play on the same network or over a VPN. Korvel
removes the forwarding when it ends.</p>
<p><b>The host.</b> The host is usually the first player in the list, and only the host can start
a game. When the host leaves or closes Korvel, the game ends for everyone.</p>
<p><b>A dropped connection.</b> When a player's connection breaks during a game, the host keeps
that seat, with its letters and score, for the time set by <i>Keep a Dropped Seat:</i> in the game
start dialog (3 minutes unless the host chooses otherwise; 0 gives the seat to the next comer at
once). The player's Korvel shows "Connection to the host lost. Reconnecting..." and tries again
every 2 seconds for up to 3 minutes; once back, the game goes on in the same window. Press
<i>Leave</i> to stop trying. If the host's Korvel has ended, you are told so.</p>
<p>A game holds four players and five spies; anyone after that is told that the game is full.
Everybody should use the same version of Korvel: the chat reports a player whose version
differs.</p>
)";

const char* const kGamePlay = R"(
<p><b>Starting.</b> The host presses <i>Start Game</i> and chooses how many seconds each turn
lasts (45 to 120). Every player is dealt eight letters, and the turns go round the seats in order.
The marker beside the names shows whose turn it is; the bar under the board shows the time
left.</p>
<p><b>Placing letters.</b> Click a letter in your rack to pick it up, then click a square of the
board to lay it there. To take back a letter you laid this turn, left-click it: it is picked up
again, ready to be laid somewhere else. Right-clicking it sends it back to your rack, and the
<i>Clear</i> button takes back all of them at once. To rearrange your rack, click one of its
letters and then another: the two swap places. You may rearrange your rack at any time, but you
lay letters only in your own turn.</p>
<p><b>The rules of a turn.</b> The letters you lay in one turn must lie in one row or one column,
and together with the letters already on the board they must form one unbroken word that
contains all of them. The first word of a game must cover the starting square in the middle of
the board; every later word must touch a letter that is already on the board. You may lay a
letter on top of a letter already on the board: yours replaces it, under the same rules (one
letter per square per turn). A letter laid on the same letter changes nothing and is refused
("Invalid Placement"). Any further words that your letters form across the main word must
be words too, and they count toward your score.</p>
<p><b>Laying on top of a letter.</b> Covering a letter is often the best move: every word your
tiles touch scores again, letters already on the board included. For example, with CAT on the
board, laying an H on top of its C makes HAT, which scores 7 points (H 5, A 1, T 1) for a single
tile; a word the H also forms down the board scores as well.</p>
<p><b>Ending your turn.</b> Press <i>Submit</i> (or right-click an empty square) to play your
word. If it is refused, the line under your rack says why, and you may try again while your time
lasts. <i>Pass</i> ends your turn without a word. <i>New Tiles</i> exchanges your whole rack for
new letters at a cost of 30 points (your score may go below zero); your turn goes on. After a
word is accepted, the letters you used are replaced from the bag while letters remain; the
number under <i>TILES LEFT</i> shows how many. When your time runs out, your letters go back to
your rack and the next player's turn begins.</p>
<p><b>The end.</b> The game ends when a player has used up all their letters, or when every
player has passed since their own last word. The highest score wins; equal top scores share the
win.</p>
<p><b>Playing with the keyboard.</b> Click the board or press Tab until it has the focus. A
click on an empty square (with no letter picked up) puts the cursor there and shows it as a
dashed square with an arrow that points the way your word will go: across, or down when the
square has letters above or below it and none to its left or right. The arrow keys move it. Typing a letter lays the first tile of
that letter from your rack on the cursor cell and moves the cursor on in the arrow's direction,
then in the direction of your last two tiles; Space turns the direction between across and
down.
Backspace takes back the last tile you laid, Escape takes back all of them, and Enter submits the
word. The buttons have shortcuts too: Ctrl+Enter Submit, Ctrl+Backspace Clear, Ctrl+P Pass and
Ctrl+N New Tiles. The chat input keeps its own keys while you type in it.</p>
)";

const char* const kScoring = R"(
<p>For a word you receive the points of every letter of every word your letters create: the main
word, with the letters that were already on the board, and every word formed across it. A letter
laid on top of another counts with its new value.</p>
<table cellspacing="6">
<tr><td><b>1 point</b></td><td>A, E, I, L, N, O, R, S, T, U</td></tr>
<tr><td><b>3 points</b></td><td>B, C, D, G, M, P</td></tr>
<tr><td><b>5 points</b></td><td>F, H, V, W, Y</td></tr>
<tr><td><b>7 points</b></td><td>J, K, X</td></tr>
<tr><td><b>10 points</b></td><td>Q, Z</td></tr>
</table>
<p>There are no bonus squares and no multipliers. New tiles cost 30 points. The small number
beside a score shows the points of the last word played (+), or -30 when that player bought new
tiles. The highest score at the end wins.</p>
)";

const char* const kOptions = R"(
<p><b>File.</b> <i>Start Game</i> starts a new game (host only). <i>Exit</i> closes Korvel; while
you play in a running game it first asks whether to leave it (a solo game is not saved; when you
host, leaving ends the game for everybody). The question's default answer is <i>No</i>.</p>
<p><b>Options.</b> <i>Play Sounds</i> turns the game's sounds on or off. <i>Player Phrase
Sounds</i> turns the other players' voice clips on or off; while off, a clip shows as a line in
the chat instead. <i>Turn Sound</i> chooses between the <i>Classic</i> and the <i>New</i> sound
that tells you your turn has come. <i>Text Color</i> and <i>Action Color</i> choose the colours
of your chat text and of your actions, as everybody sees them. <i>Text Size</i> sets the size of
the chat text. <i>Scroll Chat Off</i> (Ctrl+S) stops the chat from scrolling to each new line;
<i>Clear Main Chat</i> empties it. <i>Reset Screen Location</i> puts the window back at its first
place and size. <i>Zoom</i> (100% to 200%) makes the whole window and its dialogs larger;
Korvel restarts to apply it. Only the steps at which the window fits on your screen can be
chosen; the others are greyed. Started on a smaller screen, Korvel uses the largest step that
fits. <i>Just Watch</i> keeps you in the game without playing: your turns are skipped
until you turn it off.</p>
<p><b>Chat.</b> Type in the box under the chat and press Enter. A line that begins with
<tt>/me</tt> is shown as an action. The smiley button adds a smiley, and addresses in the chat
open in your web browser when clicked.</p>
<p><b>Phrase buttons.</b> The nine small buttons above the chat send their phrase to everybody
in one click (one every two seconds); point at one to read its phrase, and change them in
<i>View, Phrase List</i>. The sound button beside them plays a short voice clip for
everybody.</p>
<p><b>View.</b> <i>View Tally</i> shows your games and wins, and, for the players you choose to
follow, how many games you played together and who won them, in total and in this session.
Tick a name under <i>Players In Current Game</i> to follow that player; untick a name under
<i>Players Being Tallied</i> to stop. <i>Spy List</i> shows the spectators; the host removes one
by right-clicking the name and choosing <i>Remove From Game</i>. The host can also right-click a
player's name for <i>Remove From Game</i>, <i>Set to Just Watch</i> and <i>Unset Just Watch</i>.
<i>Phrase List</i> edits the phrase buttons.</p>
<p><b>Game history.</b> The tiles of the last move wear an orange frame; two small stacked
tiles in a corner mean that letter was laid on top of another. <i>View, Game History</i> lists
every turn of the game (a game keeps its first 1,000 turns); at the end a summary shows the
scores with a star for each winner the host named, the players who left apart, best words and
the game's length (the host can <i>Play Again</i>). Every finished game in which a turn was
played is saved (the newest 1,000 are kept): <i>View, Past Games</i> lists them with the level
each was played at and opens one to step through it with the arrow keys, shows the best move
for each of your turns (<i>Show Best Move</i> lays it on the board in a dashed blue and white
frame, the letter it would cover small in the corner), and <i>Save Game Record...</i> writes it
as text, giving where each word starts and which way it runs.</p>
<p><b>Help.</b> <i>Content</i> (F1) opens this help; <i>Download the Lobby...</i>
opens the lobby download offer (its <i>Don't show this again</i> box stops it from opening at
every solo start); <i>About</i> shows the version.</p>
)";

const char* const kHistory = R"(
<h3>History</h3>
<p><b>1.0.2.0</b></p>
<ul>
<li>First release of Korvel for Linux desktops.</li>
<li>Solo games on this computer; hosting on TCP port 7772 and joining by address; up to four
players and five spies; the host can remove a player or a spy.</li>
<li>A built-in list of 274,137 English words.</li>
<li>The tally of won games, kept between sessions; the spy list; this help; the offer to
download the Quon77 Lobby.</li>
<li>Chat with colours, actions, smilies and links; phrase buttons and voice clips.</li>
<li>Window position and size, sounds, chat colours and size, the turn time and the phrases are
remembered between sessions.</li>
</ul>
<p><b>Before 1.0.2.0</b> (development, not released)</p>
<ul>
<li>The game window: board, rack, turn clock, sounds and the game start dialog.</li>
<li>The game server: seats, the bag of 75 tiles, checking and scoring words, turns, the time
limit and the end of the game.</li>
<li>The network messages shared by every copy of the game, and the start of work: the choice
between a solo game, hosting and joining.</li>
</ul>
)";

}  // namespace

std::vector<HelpTopic> helpTopics() {
  return {
      {1, "Overview", kOverview},
      {2, "Connecting", kConnecting},
      {3, "Game Play", std::string(kGamePlay) + kComputerLevelsHelp},
      {4, "Scoring", kScoring},
      {7, "Options", std::string(kOptions) + kComputerPlayersHelp},
      {5, "Documentation", kHistory},
  };
}

}  // namespace korvel::dialogs
