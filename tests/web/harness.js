// Drives the web page in headless Chromium, served from the build on the
// loopback, and compares whole-page screenshots pixel for pixel with the
// core's reference renderer, as the desktop harness does with windows.
"use strict";

const {execFileSync} = require("child_process");
const fs = require("fs");
const http = require("http");
const os = require("os");
const path = require("path");
const zlib = require("zlib");
const {chromium} = require("playwright-core");

const PAGE_DIR = process.env.MANDELBROT_PAGE_DIR;
const RENDER_VIEW = process.env.MANDELBROT_RENDER_VIEW;
const CHROMIUM = process.env.MANDELBROT_CHROMIUM || "/usr/bin/chromium";
const START_VIEW = [-2.0, 1.3, 3.0];
const DEADLINE_MS = 20000;
const WHITE = [255, 255, 255];

// An RGB picture, 3 bytes a pixel, rows packed.
class Picture {
    constructor(width, height, rgb) {
        this.width = width;
        this.height = height;
        this.rgb = Buffer.from(rgb);
    }

    copy() {
        return new Picture(this.width, this.height, this.rgb);
    }

    whiten(x, y) {
        if (x >= 0 && y >= 0 && x < this.width && y < this.height) {
            this.rgb.set(WHITE, (y * this.width + x) * 3);
        }
    }

    // The picture with a one-pixel white outline of the rectangle, clipped.
    withOutline(left, top, right, bottom) {
        const out = this.copy();
        if (right <= left || bottom <= top) {
            return out;
        }
        for (let x = Math.max(left, 0); x < Math.min(right, this.width); ++x) {
            out.whiten(x, top);
            out.whiten(x, bottom - 1);
        }
        for (let y = Math.max(top, 0); y < Math.min(bottom, this.height); ++y) {
            out.whiten(left, y);
            out.whiten(right - 1, y);
        }
        return out;
    }

    differences(other, limit = 5) {
        if (this.width !== other.width || this.height !== other.height) {
            return `size ${this.width}x${this.height} != ${other.width}x${other.height}`;
        }
        if (this.rgb.equals(other.rgb)) {
            return "";
        }
        const found = [];
        let count = 0;
        for (let i = 0; i < this.rgb.length; i += 3) {
            if (this.rgb[i] !== other.rgb[i] || this.rgb[i + 1] !== other.rgb[i + 1] ||
                this.rgb[i + 2] !== other.rgb[i + 2]) {
                count += 1;
                if (found.length < limit) {
                    const p = i / 3;
                    found.push(`(${p % this.width},${Math.floor(p / this.width)}) ` +
                               `${this.rgb.subarray(i, i + 3).toString("hex")} != ` +
                               `${other.rgb.subarray(i, i + 3).toString("hex")}`);
                }
            }
        }
        return `${count} pixels differ, e.g. ${found.join("; ")}`;
    }
}

// The PNG screenshots Chromium gives: 8-bit RGB or RGBA, not interlaced.
function decodePng(data) {
    const width = data.readUInt32BE(16);
    const height = data.readUInt32BE(20);
    const depth = data[24];
    const colourType = data[25];
    if (depth !== 8 || (colourType !== 2 && colourType !== 6) || data[28] !== 0) {
        throw new Error(`unexpected PNG: depth ${depth}, colour type ${colourType}`);
    }
    const channels = colourType === 6 ? 4 : 3;
    const chunks = [];
    for (let at = 8; at < data.length;) {
        const length = data.readUInt32BE(at);
        const type = data.toString("latin1", at + 4, at + 8);
        if (type === "IDAT") {
            chunks.push(data.subarray(at + 8, at + 8 + length));
        }
        at += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(chunks));
    const stride = width * channels;
    const rows = Buffer.alloc(stride * height);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (stride + 1)];
        const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        for (let i = 0; i < stride; ++i) {
            const a = i >= channels ? rows[y * stride + i - channels] : 0;
            const b = y > 0 ? rows[(y - 1) * stride + i] : 0;
            const c = y > 0 && i >= channels ? rows[(y - 1) * stride + i - channels] : 0;
            let value = line[i];
            if (filter === 1) {
                value += a;
            } else if (filter === 2) {
                value += b;
            } else if (filter === 3) {
                value += (a + b) >> 1;
            } else if (filter === 4) {
                const p = a + b - c;
                const pa = Math.abs(p - a);
                const pb = Math.abs(p - b);
                const pc = Math.abs(p - c);
                value += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            }
            rows[y * stride + i] = value & 0xFF;
        }
    }
    const rgb = Buffer.alloc(width * height * 3);
    for (let p = 0; p < width * height; ++p) {
        rgb[p * 3] = rows[p * channels];
        rgb[p * 3 + 1] = rows[p * channels + 1];
        rgb[p * 3 + 2] = rows[p * channels + 2];
    }
    return new Picture(width, height, rgb);
}

function parsePpm(data) {
    const header = data.toString("latin1", 0, 64).split("\n", 3);
    if (header[0] !== "P6" || header[2] !== "255") {
        throw new Error("not a binary 8-bit PPM");
    }
    const [width, height] = header[1].split(" ").map(Number);
    const start = header.join("\n").length + 1;
    return new Picture(width, height, data.subarray(start, start + width * height * 3));
}

const referenceCache = new Map();

// The core's own picture of a whole client for a view.
function reference(width, height, view = START_VIEW) {
    const key = [width, height, ...view].join(" ");
    if (!referenceCache.has(key)) {
        const work = fs.mkdtempSync(path.join(os.tmpdir(), "mandelbrot-web-"));
        const out = path.join(work, "view.ppm");
        execFileSync(RENDER_VIEW, [width, height, ...view].map(String).concat([out]));
        referenceCache.set(key, parsePpm(fs.readFileSync(out)));
        fs.rmSync(work, {recursive: true});
    }
    return referenceCache.get(key).copy();
}

// The view after zooming into selection, with the program's arithmetic
// (JavaScript numbers are the same IEEE doubles, operation for operation).
function zoomedView(view, selection, clientWidth) {
    const [reLeft, imOffset, reSpan] = view;
    const perUnitX = (clientWidth + 1) / reSpan;
    const perUnitY = perUnitX * 0.82;
    const [left, top, right] = selection;
    return [reLeft + left / perUnitX, imOffset - top / perUnitY,
            (right - left) * reSpan / clientWidth];
}

const CONTENT_TYPES = {
    ".html": "text/html",
    ".js": "text/javascript",
    ".wasm": "application/wasm",
};

// The page's static files on a free loopback port.
function servePage() {
    const server = http.createServer((request, response) => {
        const name = request.url === "/" ? "index.html" : path.basename(request.url);
        fs.readFile(path.join(PAGE_DIR, name), (error, data) => {
            if (error) {
                response.writeHead(404);
                response.end();
                return;
            }
            response.writeHead(200, {
                "Content-Type": CONTENT_TYPES[path.extname(name)] || "application/octet-stream",
            });
            response.end(data);
        });
    });
    return new Promise((resolve) => {
        server.listen(0, "127.0.0.1", () => {
            resolve({url: `http://127.0.0.1:${server.address().port}/`, server});
        });
    });
}

// The page in a browser tab of the given size in CSS pixels.
class Viewer {
    constructor(page, scale) {
        this.page = page;
        this.scale = scale;
        this.errors = [];
        page.on("pageerror", (error) => this.errors.push(String(error)));
    }

    async screenshot() {
        return decodePng(await this.page.screenshot({type: "png"}));
    }

    // Waits until the page shows expected exactly; returns what it shows.
    async waitFor(expected, deadline = DEADLINE_MS) {
        const end = Date.now() + deadline;
        for (;;) {
            const shown = await this.screenshot();
            const difference = expected.differences(shown);
            if (difference === "") {
                return shown;
            }
            if (this.errors.length > 0) {
                throw new Error(`the page failed: ${this.errors.join("; ")}`);
            }
            if (Date.now() > end) {
                throw new Error(`the page never showed the expected picture: ${difference}`);
            }
            await new Promise((resolve) => setTimeout(resolve, 50));
        }
    }

    // Mouse and keys in device pixels, as the pictures are.
    async move(x, y) {
        await this.page.mouse.move(x / this.scale, y / this.scale);
    }

    async press(button = "left") {
        await this.page.mouse.down({button});
    }

    async release(button = "left") {
        await this.page.mouse.up({button});
    }

    async click(button) {
        await this.press(button);
        await this.release(button);
    }

    async key(name) {
        await this.page.keyboard.press(name);
    }

    async drag(start, end, steps = 4) {
        await this.move(...start);
        await this.press();
        for (let i = 1; i <= steps; ++i) {
            await this.move(Math.round(start[0] + (end[0] - start[0]) * i / steps),
                            Math.round(start[1] + (end[1] - start[1]) * i / steps));
        }
        await this.release();
    }

    async resize(width, height) {
        await this.page.setViewportSize({width: width / this.scale, height: height / this.scale});
    }

    async cursor() {
        return this.page.evaluate(() => document.getElementById("canvas").style.cursor);
    }
}

// One browser and one server for a test file; each session gets its own tab.
class Session {
    static async open() {
        const session = new Session();
        session.served = await servePage();
        session.browser = await chromium.launch({executablePath: CHROMIUM, args: ["--no-sandbox"]});
        return session;
    }

    // A fresh page of width x height device pixels at the given pixel ratio,
    // in place of the session's earlier pages.
    async startViewer(width, height, scale = 1) {
        for (const context of this.browser.contexts()) {
            await context.close();
        }
        const page = await this.browser.newPage({
            viewport: {width: width / scale, height: height / scale},
            deviceScaleFactor: scale,
        });
        const viewer = new Viewer(page, scale);
        await page.goto(this.served.url);
        return viewer;
    }

    async close() {
        await this.browser.close();
        await new Promise((resolve) => this.served.server.close(resolve));
    }
}

// Opens one session for the calling test file, closed after its last test;
// the returned function gives it to the tests.
function useSession() {
    const {after, before} = require("node:test");
    let session;
    before(async () => {
        session = await Session.open();
    });
    after(async () => {
        await session.close();
    });
    return () => session;
}

module.exports = {Picture, START_VIEW, decodePng, reference, useSession, zoomedView};
