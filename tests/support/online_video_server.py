# A web server on 127.0.0.1 for online video tests: watch pages, their videos, other pages.
# What it answers is read from a JSON file (argv[1]) at every request, so a test may change it
# while the server runs. The file maps a request's path and query to an answer:
#   {"/watch?v=abc": {"type": "text/html", "body": "<html>..."},
#    "/get_video?video_id=abc": {"file": "/abs/clip.mp4", "chunk": 2048, "delay": 0.1},
#    "/gone": {"status": 404, "body": "not here"}}
# An answer has a status (200), a content type (application/octet-stream), a body (text taken
# as Latin-1) or a file, and for a slow answer the bytes sent per step and the pause between
# steps. "{origin}" in a body stands for this server's own address. Anything not listed: 404.
# Prints the port, then serves until killed.
import http.server
import json
import sys
import time

routes_file = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self.do_GET(head=True)

    def do_GET(self, head=False):
        with open(routes_file, encoding='utf-8') as f:
            routes = json.load(f)
        answer = routes.get(self.path)
        if answer is None:
            answer = {'status': 404, 'type': 'text/html', 'body': '<html>no such page</html>'}
        origin = 'http://127.0.0.1:%d' % self.server.server_address[1]
        if 'file' in answer:
            with open(answer['file'], 'rb') as f:
                data = f.read()
        else:
            data = answer.get('body', '').replace('{origin}', origin).encode('latin-1')
        chunk = answer.get('chunk', len(data) or 1)
        delay = answer.get('delay', 0)
        try:
            self.send_response(answer.get('status', 200))
            self.send_header('Content-Type', answer.get('type', 'application/octet-stream'))
            self.send_header('Content-Length', str(len(data)))
            self.end_headers()
            if head:
                return
            for i in range(0, len(data), chunk):
                if i and delay:
                    self.wfile.flush()
                    time.sleep(delay)
                self.wfile.write(data[i:i + chunk])
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
