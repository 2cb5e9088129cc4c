#!/usr/bin/env python3
"""zq at a terminal, driven through a pseudo-terminal: Ctrl-C stops long
output, long transfers and loops and leaves a working prompt; tab completion
of names and of file names inside strings; history written after every
statement and recalled by a new session; the banner; the prompt on a fresh
line; errors with their places at a terminal and without them in a pipe;
the exit status of a bad command line.

Usage: prompt_test.py ZQ [unittest arguments]
"""
import os
import pty
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import fcntl
import time
import unittest

ZQ = None
COLUMNS = 80
# Generous: the sanitizer build and a loaded machine are slow.
TIMEOUT = 60


class Terminal:
    """Just enough of a terminal to see where text lands: printable
    characters with the deferred wrap of real terminals, carriage return,
    line feed, backspace; escape sequences and bells are skipped."""

    def __init__(self, columns):
        self.columns = columns
        self.lines = [[]]
        self.row = 0
        self.col = 0
        self.wrap_pending = False

    def feed(self, data):
        text = data.decode('utf-8', 'replace')
        i = 0
        while i < len(text):
            c = text[i]
            if c == '\x1b':
                match = re.match(r'\x1b(\[[0-9;?]*[ -/]*[@-~]|\][^\x07]*\x07|.)', text[i:])
                if match and match.group(0).endswith('G') and match.group(0).startswith('\x1b['):
                    self.col = int(match.group(0)[2:-1] or '1') - 1
                    self.wrap_pending = False
                i += len(match.group(0)) if match else 1
                continue
            if c == '\r':
                self.col = 0
                self.wrap_pending = False
            elif c == '\n':
                self.newline()
            elif c == '\b':
                self.col = max(0, self.col - 1)
                self.wrap_pending = False
            elif c >= ' ':
                if self.wrap_pending:
                    self.newline()
                    self.col = 0
                    self.wrap_pending = False
                line = self.lines[self.row]
                while len(line) <= self.col:
                    line.append(' ')
                line[self.col] = c
                if self.col == self.columns - 1:
                    self.wrap_pending = True
                else:
                    self.col += 1
            i += 1

    def newline(self):
        self.row += 1
        self.wrap_pending = False
        if self.row == len(self.lines):
            self.lines.append([])

    def screen(self):
        return [''.join(line).rstrip() for line in self.lines]


class Zq:
    """zq at the prompt of a pseudo-terminal COLUMNS wide."""

    def __init__(self, home, args=(), places=None):
        self.home = home
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(home)
            env = dict(os.environ, HOME=home, TERM='xterm')
            env.pop('COLUMNS', None)
            env.pop('ZQPATH', None)
            env.pop('ZQ_ERROR_PLACES', None)
            if places is not None:
                env['ZQ_ERROR_PLACES'] = places
            os.execve(ZQ, [ZQ, *args], env)
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack('HHHH', 24, COLUMNS, 0, 0))
        self.output = b''
        self.terminal = Terminal(COLUMNS)

    def read_until(self, done, timeout=TIMEOUT):
        """Reads until done(all output so far) holds; fails on timeout."""
        end = time.time() + timeout
        while not done(self.output):
            left = end - time.time()
            if left <= 0:
                raise AssertionError('timed out; last output: %r' % self.output[-300:])
            ready, _, _ = select.select([self.fd], [], [], min(left, 0.1))
            if ready:
                try:
                    data = os.read(self.fd, 1 << 20)
                except OSError:
                    data = b''
                if not data:
                    raise AssertionError('zq ended; last output: %r' % self.output[-300:])
                self.output += data
                self.terminal.feed(data)

    def prompt(self):
        """Waits for the next prompt after what was read so far."""
        start = len(self.output)
        self.read_until(lambda out: b'zq> ' in out[start:])

    def send(self, text):
        os.write(self.fd, text.encode())

    def run(self, line):
        """Types a line and returns the output up to the next prompt."""
        start = len(self.output)
        self.send(line + '\n')
        self.read_until(lambda out: out[start:].rstrip().endswith(b'zq>'))
        return self.output[start:]

    def interrupt_after(self, line, ready):
        """Types line, waits until ready(output since) holds, presses
        Ctrl-C and waits for the prompt; returns the output after Ctrl-C."""
        start = len(self.output)
        self.send(line + '\n')
        self.read_until(lambda out: ready(out[start:]))
        mark = len(self.output)
        self.send('\x03')
        self.read_until(lambda out: b'interrupted' in out[mark:] and out[mark:].rstrip().endswith(b'zq>'))
        return self.output[mark:]

    def wait(self, timeout=TIMEOUT):
        """The exit status once zq has ended by itself, None on timeout."""
        end = time.time() + timeout
        while time.time() < end:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid == self.pid:
                self.pid = None
                return os.waitstatus_to_exitcode(status)
            # The editor waits for its output to be read before it gives
            # the terminal back: keep reading.
            ready, _, _ = select.select([self.fd], [], [], 0.05)
            if ready:
                try:
                    self.output += os.read(self.fd, 1 << 20)
                except OSError:
                    pass
        return None

    def close(self):
        if self.pid is None:
            os.close(self.fd)
            return
        try:
            os.kill(self.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        os.waitpid(self.pid, 0)
        os.close(self.fd)


class PromptTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix='zq_prompt_')
        self.sessions = []

    def tearDown(self):
        for zq in self.sessions:
            zq.close()
        shutil.rmtree(self.home, ignore_errors=True)

    def start(self):
        zq = Zq(self.home)
        self.sessions.append(zq)
        zq.prompt()
        return zq

    def assertShows(self, output, expected):
        self.assertIn(expected, output.decode('utf-8', 'replace').replace('\r\n', '\n'))


class Interrupts(PromptTest):
    def test_ctrl_c_stops_the_display_of_a_large_matrix(self):
        zq = self.start()
        after = zq.interrupt_after('x = ones(3000)', lambda out: len(out) > 100000)
        self.assertLess(len(zq.output), 5000000, 'the display ran on')
        self.assertIn(b'interrupted', after)
        self.assertShows(zq.run('disp(size(x))'), '3000        3000')

    def test_ctrl_c_stops_disp_which_cannot_be_interrupted_inside(self):
        zq = self.start()
        after = zq.interrupt_after('disp(ones(3000))', lambda out: len(out) > 100000)
        self.assertLess(len(zq.output), 5000000, 'disp ran on')
        self.assertIn(b'interrupted', after)
        self.assertShows(zq.run('disp(42)'), '42')

    def test_ctrl_c_stops_a_long_fprintf_and_keeps_what_was_written(self):
        zq = self.start()
        path = os.path.join(self.home, 'big.txt')
        zq.send("fid = fopen('big.txt', 'w'); fprintf(fid, '%d\\n', 1:30000000)\n")
        end = time.time() + TIMEOUT
        while (not os.path.exists(path) or os.path.getsize(path) < 500000) and time.time() < end:
            time.sleep(0.02)
        mark = len(zq.output)
        zq.send('\x03')
        zq.read_until(lambda out: b'interrupted' in out[mark:] and out[mark:].rstrip().endswith(b'zq>'))
        # The file is still open: fclose closes it and says 0.
        self.assertShows(zq.run('disp(fclose(fid))'), '0')
        with open(path, 'rb') as f:
            written = f.read()
        lines = written.count(b'\n')
        self.assertGreater(lines, 1000)
        self.assertLess(lines, 30000000)
        expected = b''.join(b'%d\n' % k for k in range(1, lines + 2))
        self.assertTrue(expected.startswith(written), 'the file is not the start of the sequence')

    def test_ctrl_c_stops_a_loop_and_the_session_goes_on(self):
        zq = self.start()
        # The dots show that the loop runs (a Ctrl-C typed while the line is
        # still being read belongs to the editor, not to the statement).
        zq.interrupt_after("k = 0; while true, k = k + 1; if mod(k, 50000) == 0, fprintf('.'), end, end",
                           lambda out: b'...' in out)
        self.assertShows(zq.run('disp(k > 0)'), '1')


class Completion(PromptTest):
    def test_tab_completes_variables_builtins_and_host_functions(self):
        zq = self.start()
        zq.run('a_long_variable_name = 42;')
        self.assertShows(zq.run('a_long_v\t'), 'a_long_variable_name =\n\n    42')
        self.assertShows(zq.run("fpri\t('<%d>', 7)"), '<7>')
        self.assertShows(zq.run('disp(resha\t(1:4, 2, 2))'), '1     3')

    def test_tab_completes_file_names_inside_strings(self):
        os.mkdir(os.path.join(self.home, 'data_dir'))
        with open(os.path.join(self.home, 'data_dir', 'numbers_to_complete.txt'), 'w') as f:
            f.write('5 6 7\n')
        zq = self.start()
        self.assertShows(zq.run("fid = fopen('data_d\tnumbers_to\t'); disp(fscanf(fid, '%d')')"), '5     6     7')
        # Outside a string the same word is no file name.
        self.assertShows(zq.run("data_d\t"), "Undefined function or variable 'data_d'.")


class History(PromptTest):
    def test_history_is_written_after_each_statement_and_recalled(self):
        zq = self.start()
        zq.run('first_in_history = 1;')
        zq.run('second_in_history = 2;')
        with open(os.path.join(self.home, '.zq_history'), encoding='utf-8') as f:
            saved = f.read()
        self.assertIn('second_in_history', saved)
        self.assertIn('first_in_history', saved)
        zq.close()
        self.sessions.remove(zq)
        again = self.start()
        # Up arrow twice recalls the first statement of the last session.
        self.assertShows(again.run('\x1b[A\x1b[A\b'), 'first_in_history =\n\n     1')


class Prompt(PromptTest):
    def test_a_banner_says_how_to_get_help_and_quit(self):
        zq = self.start()
        banner = zq.terminal.screen()[0]
        self.assertIn('help', banner)
        self.assertIn('exit', banner)

    def test_the_prompt_starts_on_a_fresh_line_after_a_partial_line(self):
        zq = self.start()
        zq.run("fprintf('partial')")
        zq.run("fprintf('whole\\n')")
        screen = zq.terminal.screen()
        self.assertIn('partial', screen)
        self.assertEqual(screen[screen.index('partial') + 1], "zq> fprintf('whole\\n')")
        self.assertEqual(screen[screen.index('whole') + 1], 'zq>')

    def test_ctrl_d_ends_the_session_with_status_zero(self):
        zq = self.start()
        # A Ctrl-D typed before the editor has taken the terminal over is
        # the terminal's own end-of-file, which the switch to the editor's
        # mode drops: type it once the terminal is in the editor's mode.
        end = time.time() + TIMEOUT
        while termios.tcgetattr(zq.fd)[3] & termios.ICANON and time.time() < end:
            time.sleep(0.01)
        zq.send('\x04')
        self.assertEqual(zq.wait(), 0)


class ErrorPlaces(PromptTest):
    SCRIPT = "disp('start')\nx = [1 2];\ny = x(3);\n"

    def run_script(self, places=None):
        with open(os.path.join(self.home, 's.zq'), 'w') as f:
            f.write(self.SCRIPT)
        zq = Zq(self.home, ['s.zq'], places)
        self.sessions.append(zq)
        self.assertEqual(zq.wait(), 1)
        return zq.output.decode().replace('\r\n', '\n')

    def test_a_script_at_a_terminal_names_the_place_unless_told_not_to(self):
        self.assertIn('error: s.zq:3: Index exceeds matrix dimensions.\n', self.run_script())
        self.assertIn('error: Index exceeds matrix dimensions.\n', self.run_script('0'))

    def test_a_script_whose_errors_go_to_a_pipe_shows_the_text_alone(self):
        for places, line in ((None, 'error: Index'), ('1', 'error: s.zq:3: Index')):
            with open(os.path.join(self.home, 's.zq'), 'w') as f:
                f.write(self.SCRIPT)
            env = dict(os.environ)
            env.pop('ZQ_ERROR_PLACES', None)
            if places is not None:
                env['ZQ_ERROR_PLACES'] = places
            done = subprocess.run([ZQ, 's.zq'], cwd=self.home, env=env, capture_output=True, text=True,
                                  timeout=TIMEOUT)
            self.assertEqual(done.stderr, line + ' exceeds matrix dimensions.\n')

    def test_the_prompt_shows_a_caret_but_no_place(self):
        zq = self.start()
        out = zq.run('x = (1 + 2))').decode().replace('\r\n', '\n')
        self.assertIn("error: Unexpected ')'.\n  x = (1 + 2))\n             ^\n", out)
        self.assertShows(zq.run('y = [1 2]; y(4)'), 'error: Index exceeds matrix dimensions.\n')


class CommandLine(unittest.TestCase):
    def test_a_directory_or_a_missing_script_is_refused_with_status_two(self):
        directory = tempfile.mkdtemp(prefix='zq_dir_')
        try:
            for path, reason in ((directory, 'Is a directory'), (os.path.join(directory, 'none.zq'), 'No such file')):
                done = subprocess.run([ZQ, path], capture_output=True, text=True, timeout=TIMEOUT)
                self.assertEqual(done.returncode, 2, path)
                self.assertIn(reason, done.stderr)
                self.assertEqual(done.stdout, '')
        finally:
            shutil.rmtree(directory)

    def test_an_unreadable_script_is_refused_with_status_two(self):
        if os.geteuid() == 0:
            self.skipTest('permissions do not bind root')
        with tempfile.NamedTemporaryFile(suffix='.zq') as script:
            os.chmod(script.name, 0)
            done = subprocess.run([ZQ, script.name], capture_output=True, text=True, timeout=TIMEOUT)
            self.assertEqual(done.returncode, 2)
            self.assertIn('Permission denied', done.stderr)


if __name__ == '__main__':
    ZQ = os.path.abspath(sys.argv.pop(1))
    unittest.main()
