"""A loopback HTTP server for the update client's tests: serves a folder on
127.0.0.1 at a free port, answers byte ranges, records every request, and
injects the faults a real server or network shows.

    python3 loopback_server.py ROOT    serves ROOT, prints the port, stops when
                                       its standard input closes
"""
import http.server
import os
import re
import socket
import sys
import threading
import urllib.parse

# Faults, set per URL path (without the query):
#   ("drop", OFFSET)  the body stops at byte OFFSET of the file and the
#                     connection is cut; a request starting there is cut at once
#   ("drop once", OFFSET)  the same for the first request only
#   ("size", EXTRA)   the body has EXTRA more bytes than the file (an announced
#                     length that matches the body, not the server file's Size)
#   ("status", CODE)  the answer is CODE with a short page
#   ("html",)         200 with an HTML page instead of the file
DROP, DROP_ONCE, SIZE, STATUS, HTML = "drop", "drop once", "size", "status", "html"

HTML_PAGE = (b"<!DOCTYPE html>\n<html><head><title>Welcome</title></head>\n"
             b"<body><p>This domain is parked.</p></body></html>\n")


class LoopbackServer:
    def __init__(self, root):
        self.root = os.path.abspath(root)
        self.faults = {}
        self.ignore_range = False
        self.requests = []  # (path with query, Range header or None)
        self._lock = threading.Lock()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                server._answer(self, send_body=True)

            def do_HEAD(self):
                server._answer(self, send_body=False)

        class Server(http.server.ThreadingHTTPServer):
            daemon_threads = True

            def handle_error(self, request, client_address):
                pass  # a client that hangs up is one of the cases under test

        self._httpd = Server(("127.0.0.1", 0), Handler)
        self.port = self._httpd.server_address[1]
        self._thread = threading.Thread(target=self._httpd.serve_forever, daemon=True)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def stop(self):
        self._httpd.shutdown()
        self._httpd.server_close()

    def url(self, path=""):
        return "http://127.0.0.1:%d/%s" % (self.port, path)

    def reset(self):
        with self._lock:
            self.faults.clear()
            self.ignore_range = False
            self.requests.clear()

    def requested(self):
        with self._lock:
            return list(self.requests)

    # One answer. Files are streamed in pieces, so large files cost no memory.
    def _answer(self, handler, send_body):
        path = urllib.parse.urlsplit(handler.path).path
        range_header = handler.headers.get("Range")
        with self._lock:
            self.requests.append((handler.path, range_header))
            fault = self.faults.get(path)
            if fault and fault[0] == DROP_ONCE:
                del self.faults[path]
                fault = (DROP, fault[1])
            ignore_range = self.ignore_range
        if fault and fault[0] in (STATUS, HTML):
            code, body = (fault[1], b"<html><body>Not here</body></html>") if fault[0] == STATUS else (200, HTML_PAGE)
            handler.send_response(code)
            handler.send_header("Content-Type", "text/html; charset=utf-8")
            handler.send_header("Content-Length", str(len(body)))
            handler.end_headers()
            if send_body:
                handler.wfile.write(body)
            return
        local = os.path.join(self.root, *[urllib.parse.unquote(p) for p in path.split("/") if p])
        if not os.path.isfile(local) or ".." in path.split("/"):
            handler.send_error(404)
            return
        size = os.path.getsize(local)
        extra = fault[1] if fault and fault[0] == SIZE else 0
        total = size + extra
        start, end = 0, total - 1
        match = re.fullmatch(r"bytes=(\d+)-(\d*)", range_header or "")
        partial = match is not None and not ignore_range
        if partial:
            start = int(match.group(1))
            end = min(int(match.group(2)), total - 1) if match.group(2) else total - 1
            if start >= total:
                handler.send_response(416)
                handler.send_header("Content-Range", "bytes */%d" % total)
                handler.send_header("Content-Length", "0")
                handler.end_headers()
                return
        handler.send_response(206 if partial else 200)
        handler.send_header("Content-Type", "application/octet-stream")
        handler.send_header("Accept-Ranges", "bytes")
        handler.send_header("Content-Length", str(end - start + 1))
        if partial:
            handler.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, total))
        handler.end_headers()
        if not send_body:
            return
        stop = end + 1
        if fault and fault[0] == DROP:
            stop = min(stop, max(start, fault[1]))
        with open(local, "rb") as source:
            source.seek(min(start, size))
            position = start
            while position < stop:
                piece = source.read(min(256 * 1024, stop - position)) if position < size else b""
                if not piece:  # the extra bytes of a wrong size
                    piece = b"\0" * min(256 * 1024, stop - position)
                handler.wfile.write(piece)
                position += len(piece)
        if fault and fault[0] == DROP:
            handler.wfile.flush()
            handler.connection.shutdown(socket.SHUT_RDWR)
            handler.close_connection = True


def main():
    with LoopbackServer(sys.argv[1]) as server:
        print(server.port, flush=True)
        sys.stdin.read()


if __name__ == "__main__":
    main()
