// Platform ids as the numbers the module takes for groups and members.
//
// Chat platforms name users and guilds with texts of every shape (negative,
// alphanumeric, 19 digits long), and one Koishi instance may serve several
// platforms whose ids collide. The module names its files and sections
// after the numbers, so each "platform:id" gets a number of its own, handed
// out in order and never reused: guilds and users each count on their own,
// so that consecutive guilds spread evenly over the host processes. The map lives in the game folder, next to
// the files that carry the numbers, and is written to disk before a new
// number is used: a number that reached a ledger is never given to anyone
// else after a restart.
'use strict'

const fs = require('node:fs')
const path = require('node:path')

// Numbers start here, so that every one has five digits or more.
const FIRST_NUMBER = 10001

class IdMap {
  // Reads the map at file (JSON), or starts an empty one when there is none.
  // A file that cannot be read is an error: starting afresh would hand out
  // numbers that already name someone.
  constructor(file) {
    this.file = file
    this.data = { next: { guilds: FIRST_NUMBER, users: FIRST_NUMBER }, guilds: {}, users: {} }
    let text
    try {
      text = fs.readFileSync(file, 'utf8')
    } catch (error) {
      if (error.code !== 'ENOENT') throw error
      return
    }
    const data = JSON.parse(text)
    const valid = (kind) => typeof data?.[kind] === 'object' && Number.isSafeInteger(data.next?.[kind])
    if (!valid('guilds') || !valid('users')) {
      throw new Error(`${file} is not an id map`)
    }
    this.data = data
  }

  // The number of the guild (a text).
  guild(platform, id) {
    const { entry, created } = this.numberOf('guilds', platform, id)
    if (created) this.save()
    return entry.number
  }

  // The number of the user (a text), met in the guild whose number is
  // guild. name, when given, is remembered as the name the standings show.
  user(platform, id, name, guild) {
    // A new member is written once, with its name and guild.
    const { entry, created } = this.numberOf('users', platform, id)
    let changed = created
    if (name && entry.name !== name) {
      entry.name = name
      changed = true
    }
    entry.guilds ??= []
    if (guild && !entry.guilds.includes(guild)) {
      entry.guilds.push(guild)
      changed = true
    }
    if (changed) this.save()
    return entry.number
  }

  // The remembered names of the members met in the guild, by number.
  namesIn(guild) {
    const names = {}
    for (const entry of Object.values(this.data.users)) {
      if (entry.name && entry.guilds?.includes(guild)) names[entry.number] = entry.name
    }
    return names
  }

  // kind: 'guilds' or 'users'. A new entry is made, not yet saved.
  numberOf(kind, platform, id) {
    const key = `${platform}:${id}`
    const known = this.data[kind][key]
    if (known) return { entry: known, created: false }
    const entry = { number: String(this.data.next[kind]) }
    this.data.next[kind] += 1
    this.data[kind][key] = entry
    return { entry, created: true }
  }

  // A fresh file renamed into place: a crash leaves the old map or the new
  // one, never half of one.
  save() {
    const fresh = `${this.file}.${process.pid}.tmp`
    fs.mkdirSync(path.dirname(this.file), { recursive: true })
    const handle = fs.openSync(fresh, 'w')
    try {
      fs.writeFileSync(handle, JSON.stringify(this.data, null, 1))
      fs.fsyncSync(handle)
    } finally {
      fs.closeSync(handle)
    }
    fs.renameSync(fresh, this.file)
  }
}

module.exports = { IdMap, FIRST_NUMBER }
