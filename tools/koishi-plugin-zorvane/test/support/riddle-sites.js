// Riddle sites for the fault tests: the packed site on a free port, and a
// proxy on the module's address in front of it that can hold chosen pages
// back, as a slow site does.
'use strict'

const http = require('node:http')
const path = require('node:path')
const readline = require('node:readline')
const { spawn } = require('node:child_process')
const { appRequire } = require('./koishi-app')

// The address the packed module reads its riddles from.
const MODULE_SITE = new URL(process.env.ZORVANE_MODULE_SITE || 'http://127.0.0.1:8723')

function packedFile(name) {
  const root = path.dirname(appRequire.resolve('koishi-plugin-zorvane/package.json'))
  return path.join(root, 'prebuilt', 'linux-x64', name)
}

// The packed site serving the packed riddles on a free port; its base.
async function startPackedSite(t) {
  const site = spawn(packedFile('zorvane-site'), ['--port', '0', '--riddles', packedFile('riddles.tsv')],
    { stdio: ['ignore', 'pipe', 'inherit'] })
  t.after(() => site.kill('SIGKILL'))
  const port = await new Promise((resolve, reject) => {
    site.on('close', (code) => reject(new Error(`zorvane-site ended (${code})`)))
    readline.createInterface({ input: site.stdout }).on('line', (line) => {
      const listening = /^listening on (\d+)$/.exec(line)
      if (listening) resolve(Number(listening[1]))
    })
  })
  return `http://127.0.0.1:${port}`
}

// A server on the module's address; closed after the test. Koishi does not
// wait for a plug-in's asynchronous clean-up, so the site of an app stopped
// just before may hold the address for a moment longer.
async function listenOnModuleSite(t, handler) {
  const server = http.createServer(handler)
  for (let attempt = 1; ; attempt++) {
    try {
      await new Promise((resolve, reject) => {
        server.once('error', reject)
        server.listen(Number(MODULE_SITE.port || 80), MODULE_SITE.hostname, resolve)
      })
      break
    } catch (error) {
      if (error.code !== 'EADDRINUSE' || attempt === 50) throw error
      await new Promise((resolve) => setTimeout(resolve, 100))
    }
  }
  t.after(() => new Promise((resolve) => {
    server.closeAllConnections()
    server.close(resolve)
  }))
  return server
}

// A proxy on the module's address that forwards to target. delays maps a
// path to the milliseconds its answers are held back (every other path:
// proxy.otherPages); requested(path) resolves when a request for path
// arrives.
async function startDelayingProxy(t, target) {
  const delays = new Map()
  const arrivals = []
  const proxy = {
    delays,
    otherPages: 0,
    requested: (path) => new Promise((resolve) => arrivals.push({ path, resolve })),
  }
  await listenOnModuleSite(t, (request, response) => {
    arrivals.forEach((arrival) => arrival.path === request.url && arrival.resolve())
    setTimeout(() => {
      const upstream = http.get(target + request.url, (answer) => {
        response.writeHead(answer.statusCode, answer.headers)
        answer.pipe(response)
      })
      upstream.on('error', () => response.destroy())
    }, delays.get(request.url) ?? proxy.otherPages)
  })
  return proxy
}

module.exports = { MODULE_SITE, startPackedSite, startDelayingProxy, listenOnModuleSite }
