// Tobrak serial bridge: reads a pachislot machine's external signal lines and
// answers the Tobrak program's board operations over USB serial.
// Board: Arduino Uno / Nano (ATmega328P) or any Arduino-compatible board.
// Plain C++11 without the standard library: the AVR toolchain has none.
// scripts/firmware-check builds it for an Uno; tests/bridge_sketch_test.cpp
// runs it on the PC against a stand-in for the Arduino functions.
//
// Wiring (the machine's outputs are open-collector contacts to GND, so every
// input uses the internal pull-up and reads LOW while the contact is closed):
//   D2  IN  (one pulse per medal bet)
//   D3  OUT (one pulse per medal paid)
//   D4  BB  (level, held for the whole big bonus)
//   D5  RB  (level, held for the whole regular bonus)
//   GND machine GND
// Set ACTIVE_LOW_x to false for a line that is active high on your machine.
// Protocol: docs/serial-protocol.md.

const uint8_t PIN_IN = 2, PIN_OUT = 3, PIN_BB = 4, PIN_RB = 5;
const bool ACTIVE_LOW_IN = true, ACTIVE_LOW_OUT = true, ACTIVE_LOW_BB = true, ACTIVE_LOW_RB = true;
const unsigned long DEBOUNCE_MS = 15;    // contacts chatter for a few ms
const unsigned long BURST_END_MS = 400;  // IN pulses closer than this are one game
// While a game's IN burst is open, OUT pulses (the previous game's payout still
// running) hold the game code back, so that they are credited to that game.

// Event codes.
const uint8_t CODE_PAYOUT = 16, CODE_BB_START = 25, CODE_BB_END = 24, CODE_RB_START = 21, CODE_RB_END = 20;

// A small queue of codes waiting to be taken by the program, in order.
const uint8_t QUEUE_SIZE = 64;
uint8_t queue[QUEUE_SIZE];
uint8_t qHead = 0, qCount = 0;

void push(uint8_t code) {
  if (qCount == QUEUE_SIZE) return;  // the program is far behind; should never happen
  queue[(qHead + qCount) % QUEUE_SIZE] = code;
  qCount++;
}

struct Line {
  uint8_t pin;
  bool activeLow;
  bool state;           // debounced: true = active
  bool raw;
  unsigned long since;  // when raw last changed
};

Line lineIn = {PIN_IN, ACTIVE_LOW_IN, false, false, 0}, lineOut = {PIN_OUT, ACTIVE_LOW_OUT, false, false, 0};
Line lineBB = {PIN_BB, ACTIVE_LOW_BB, false, false, 0}, lineRB = {PIN_RB, ACTIVE_LOW_RB, false, false, 0};

bool readActive(const Line& l) { return (digitalRead(l.pin) == LOW) == l.activeLow; }

// Returns true when the debounced state became active (a rising edge).
bool update(Line& l, unsigned long now, bool& fell) {
  fell = false;
  bool r = readActive(l);
  if (r != l.raw) {
    l.raw = r;
    l.since = now;
  }
  if (l.raw != l.state && now - l.since >= DEBOUNCE_MS) {
    l.state = l.raw;
    fell = !l.state;
    return l.state;
  }
  return false;
}

uint8_t betCount = 0;
unsigned long lastIn = 0;
bool bbOn = false, rbOn = false;

// Handshake state for the program's reads. Every code presented gets a number
// 1..255 (0: none); a protocol-2 program acknowledges it by that number.
bool presenting = false;
uint8_t current = 0;
uint8_t currentSeq = 0, nextSeq = 1;
uint8_t lastWrite = 255;

uint8_t portValue() {
  if (!presenting && qCount > 0) {
    current = queue[qHead];
    qHead = (qHead + 1) % QUEUE_SIZE;
    qCount--;
    presenting = true;
    currentSeq = nextSeq;
    nextSeq = nextSeq == 255 ? 1 : nextSeq + 1;
  }
  return presenting ? (current & 0x1F) | 0x20 : 0x7F;  // bit 6 low: a code is present
}

uint8_t presentedSeq() { return presenting ? currentSeq : 0; }

void onWrite(uint8_t v) {
  if (v == 255 && lastWrite == 127 && presenting) presenting = false;  // acknowledged (protocol 1)
  lastWrite = v;
}

void onAck(uint8_t n) {
  if (presenting && n == currentSeq) presenting = false;  // acknowledged (protocol 2)
}

void answer(uint8_t lead, uint8_t a, uint8_t b) {
  uint8_t msg[4] = {lead, a, b, (uint8_t)(a ^ b ^ 0xFF)};
  Serial.write(msg, 4);
}

// Serial parser. Protocol 1: 'W' v ~v, 'R'. Protocol 2 adds 'V', 'S' and
// 'K' n ~n. Each message says its own version, so either program is served.
uint8_t rx[3];
uint8_t rxLen = 0;

void serve() {
  while (Serial.available()) {
    uint8_t b = Serial.read();
    if (rxLen == 0) {
      if (b == 'R') {
        uint8_t v = portValue();
        uint8_t reply[3] = {'A', v, (uint8_t)(v ^ 0xFF)};
        Serial.write(reply, 3);
      } else if (b == 'V') {
        answer('P', 2, presentedSeq());
      } else if (b == 'S') {
        uint8_t v = portValue();
        answer('N', v, presentedSeq());
      } else if (b == 'W' || b == 'K') {
        rx[rxLen++] = b;
      }
      continue;  // anything else starts no message
    }
    rx[rxLen++] = b;
    if (rxLen == 3) {
      if ((uint8_t)(rx[1] ^ 0xFF) == rx[2]) {
        if (rx[0] == 'W') onWrite(rx[1]);
        else onAck(rx[1]);
      }
      rxLen = 0;
    }
  }
}

Line* const lines[] = {&lineIn, &lineOut, &lineBB, &lineRB};

void setup() {
  unsigned long now = millis();
  for (uint8_t i = 0; i < sizeof lines / sizeof lines[0]; i++) {
    Line* l = lines[i];
    pinMode(l->pin, INPUT_PULLUP);
    l->raw = l->state = readActive(*l);
    l->since = now;
  }
  // A bonus already running at power-on is taken as running: no start code.
  bbOn = lineBB.state;
  rbOn = lineRB.state;
  qHead = qCount = 0;
  betCount = 0;
  presenting = false;
  nextSeq = 1;
  lastWrite = 255;
  rxLen = 0;
  Serial.begin(115200);
}

void loop() {
  unsigned long now = millis();
  bool fell;
  if (update(lineIn, now, fell)) {
    if (betCount < 3) betCount++;
    lastIn = now;
  }
  if (update(lineOut, now, fell)) {
    push(CODE_PAYOUT);
    if (betCount > 0) lastIn = now;
  }
  // A game's IN burst is over: send the game code with the lamps as they stand.
  if (betCount > 0 && now - lastIn >= BURST_END_MS) {
    push(betCount | (rbOn ? 4 : 0) | (bbOn ? 8 : 0));
    betCount = 0;
  }
  bool rose = update(lineBB, now, fell);
  if (rose) { push(CODE_BB_START); bbOn = true; }
  if (fell) { push(CODE_BB_END); bbOn = false; }
  rose = update(lineRB, now, fell);
  if (rose) { push(CODE_RB_START); rbOn = true; }
  if (fell) { push(CODE_RB_END); rbOn = false; }
  serve();
}
