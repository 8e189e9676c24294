"""A headless chromium driven over the DevTools protocol, with nothing but
the standard library: the browser is started on a fresh profile with its
debugging port on the loopback, and spoken to through a websocket client
of our own (RFC 6455, text frames, client-side masking).

    with Browser("/usr/bin/chromium") as browser:
        browser.navigate("file:///tmp/page.html")
        browser.evaluate("document.title")
"""
import base64
import json
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time
import urllib.request

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0"]


class WebSocket:
    """One websocket connection to ws://host:port/path."""

    def __init__(self, url, timeout):
        assert url.startswith("ws://"), url
        host_port, _, path = url[len("ws://"):].partition("/")
        host, _, port = host_port.partition(":")
        self.sock = socket.create_connection((host, int(port)), timeout=timeout)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /{path} HTTP/1.1\r\nHost: {host_port}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        response = b""
        while b"\r\n\r\n" not in response:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise ConnectionError("the browser closed the websocket handshake")
            response += chunk
        head, _, self.buffered = response.partition(b"\r\n\r\n")
        if b" 101 " not in head.split(b"\r\n", 1)[0]:
            raise ConnectionError("websocket handshake refused: " + head.decode(errors="replace"))

    def _read(self, n):
        while len(self.buffered) < n:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise ConnectionError("the browser closed the websocket")
            self.buffered += chunk
        out, self.buffered = self.buffered[:n], self.buffered[n:]
        return out

    def send(self, text):
        payload = text.encode()
        head = bytes([0x81])  # a final text frame
        n = len(payload)
        if n < 126:
            head += bytes([0x80 | n])
        elif n < 65536:
            head += bytes([0x80 | 126]) + struct.pack(">H", n)
        else:
            head += bytes([0x80 | 127]) + struct.pack(">Q", n)
        mask = os.urandom(4)
        self.sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))

    def receive(self):
        """The next whole text message."""
        message = b""
        while True:
            first, second = self._read(2)
            n = second & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._read(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._read(8))[0]
            mask = self._read(4) if second & 0x80 else None
            payload = self._read(n)
            if mask:
                payload = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
            opcode = first & 0x0F
            if opcode == 0x8:
                raise ConnectionError("the browser closed the websocket")
            if opcode == 0x9:  # ping: answered by nobody, the browser does not need it
                continue
            message += payload
            if first & 0x80:
                return message.decode()

    def close(self):
        self.sock.close()


class Browser:
    def __init__(self, program, timeout=30):
        self.program = program
        self.timeout = timeout
        self.events = []
        self.next_id = 0

    def __enter__(self):
        self.profile = tempfile.mkdtemp(prefix="paketlog-chromium-")
        self.process = subprocess.Popen([self.program] + FLAGS + [f"--user-data-dir={self.profile}", "about:blank"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + self.timeout
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.__exit__(None, None, None)
                raise RuntimeError("chromium did not open its debugging port")
            time.sleep(0.05)
        time.sleep(0.05)  # the file is written in one go, but let it be closed
        port = int(open(port_file).read().split()[0])
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=self.timeout))
        page = next(t for t in targets if t["type"] == "page")
        self.ws = WebSocket(page["webSocketDebuggerUrl"], self.timeout)
        return self

    def __exit__(self, *exc):
        if getattr(self, "ws", None):
            self.ws.close()
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def call(self, method, **params):
        """Sends one command and returns its result; events that come first are kept."""
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.receive())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def wait_for(self, method):
        """Waits for the event `method`, looking first among those kept."""
        for i, event in enumerate(self.events):
            if event.get("method") == method:
                return self.events.pop(i)
        deadline = time.monotonic() + self.timeout
        while time.monotonic() < deadline:
            message = json.loads(self.ws.receive())
            if message.get("method") == method:
                return message
            self.events.append(message)
        raise TimeoutError(method)

    def navigate(self, url):
        self.call("Page.enable")
        self.call("Network.enable")
        self.call("Runtime.enable")
        self.call("Page.navigate", url=url)
        self.wait_for("Page.loadEventFired")

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def requests(self):
        """The URLs of every request the page made so far."""
        self.evaluate("0")  # lets the events that came before it in
        return [e["params"]["request"]["url"] for e in self.events if e.get("method") == "Network.requestWillBeSent"]

    def errors(self):
        """Script errors and console errors so far."""
        out = []
        for e in self.events:
            if e.get("method") == "Runtime.exceptionThrown":
                out.append(e["params"]["exceptionDetails"].get("text", "exception"))
            elif e.get("method") == "Runtime.consoleAPICalled" and e["params"]["type"] == "error":
                out.append(" ".join(str(a.get("value", a.get("description"))) for a in e["params"]["args"]))
        return out

    def screenshot(self, path, width, height):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=False)
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))
