# An update server on 127.0.0.1 for the update checker's tests; argv[1] is the player's own
# version. The first path component names the answer (a suffix after "-" keeps rows apart in
# the log); then "vistrel/version.plist" or a page ending in ".html". GET /log lists the paths
# asked for so far; GET /held counts the "hold" requests whose connection is still open.
# Prints the port, then serves until killed.
import http.server
import plistlib
import sys
import threading
import time

seen = []
held = [0]
held_lock = threading.Lock()
VERSIONS = {'equal': sys.argv[1], 'newer': '999.1', 'older': '0.0.1', 'late': '999.1', 'hostile': '999.1',
            'number': 2, 'array': ['999.1'], 'long': '1' * 10000, 'html': '<b>999.1</b>'}
NEWER = plistlib.dumps({'productVersion': '999.1'})
BODIES = {
    'badaddr': plistlib.dumps({'productVersion': '999.1', 'productPageURL': 'file:///etc/passwd',
                               'productReleaseNotesURL': 'javascript:alert(1)'}),
    'nul': NEWER.replace(b'999.1', b'999\x00.1'),
    'rootarray': plistlib.dumps(['999.1']),
    'malformed': b'<plist><dict><key>productVersion</string></dict></plist>',
    'truncated': NEWER[:-20],
    'deep': b'<plist>' + b'<array>' * 100000 + b'</array>' * 100000 + b'</plist>',
    'badbinary': b'bplist00' + bytes(range(256)) * 4,
}
HOSTILE = (b'<html><head><link rel="stylesheet" href="file:///etc/passwd"></head><body><p>Hostile notes</p>'
           b'<img src="/dev/zero"><img src="file:///etc/passwd"><p><a href="file:///etc/passwd">local</a> '
           b'<a href="https://example.org/x">web</a></p></body></html>')


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def answer(self, body, status=200, length=True, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header(*(('Content-Length', str(len(body))) if length else ('Connection', 'close')))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == '/log':
            return self.answer('\n'.join(seen).encode())
        if self.path == '/held':
            return self.answer(str(held[0]).encode())
        seen.append(self.path)
        scenario, _, rest = self.path.strip('/').partition('/')
        kind = scenario.split('-')[0]
        origin = 'http://127.0.0.1:%d/%s' % (self.server.server_address[1], scenario)
        try:
            if rest.endswith('.html'):
                time.sleep(1 if kind == 'late' else 0)
                self.answer(HOSTILE if kind == 'hostile' else b'<p>Notes of %s</p>' % kind.encode())
            elif kind in VERSIONS:
                self.answer(plistlib.dumps({'productVersion': VERSIONS[kind]}))
            elif kind == 'page':
                self.answer(plistlib.dumps({'productVersion': '999.1', 'productPageURL': origin + '/product',
                                            'productReleaseNotesURL': origin + '/notes.html'}))
            elif kind in BODIES:
                self.answer(BODIES[kind])
            elif kind == 'notfound':
                self.answer(NEWER, status=404)
            elif kind == 'redirect':
                self.answer(b'', status=302, headers=[('Location', 'http://192.0.2.1/vistrel/version.plist')])
            elif kind == 'huge':  # 50 MB, no length
                self.answer(b'', length=False)
                for _ in range(800):
                    self.wfile.write(b'<' * 65536)
            elif kind == 'drip':  # a byte a second
                self.answer(b'', length=False)
                for byte in NEWER:
                    self.wfile.write(bytes([byte]))
                    self.wfile.flush()
                    time.sleep(1)
            elif kind == 'silent':
                time.sleep(30)
            elif kind == 'hold':  # never answers, and notices when the client gives up
                with held_lock:
                    held[0] += 1
                try:
                    self.connection.settimeout(60)
                    while self.connection.recv(4096):
                        pass
                finally:
                    with held_lock:
                        held[0] -= 1
            else:
                self.answer(b'no such page', status=404)
        except OSError:
            pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
